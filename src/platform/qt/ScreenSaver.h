// Screen saver off during transfers and long tools, on again afterwards, through
// the freedesktop inhibit service; nothing happens where the desktop offers none.
#pragma once

#include <cstdint>

class ScreenSaver {
public:
    static void Suspend();
    static void Allow();
    static bool Suspended();
};
