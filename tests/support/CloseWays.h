// The ways an operator closes the main window: its close button and the lower
// F10 column of the function-key legend (which closes the window directly).
#pragma once

#include "app/qt/Mainunit1.h"

struct CloseWay {
    const char* way;
    void (*close)(TForm1& form);
};

inline const CloseWay kCloseWays[] = {
    {"close button", [](TForm1& form) { form.close(); }},
    {"F10 legend", [](TForm1& form) { form.Label1MouseDown(600, 20); }},
};
