// The end of a completed transfer started with Shift+F1, Shift+F2 or the END
// argument: the program closes itself and, when asked, switches the PC off.
// Called by the send and receive jobs on completion only, after the line is closed.
#pragma once

#include <functional>

// Closes the main window the normal way (the settings are saved), then asks the
// platform to power off when powerOff (Power_Off "Y"); a refusal is not reported.
void ShutdownAfterTransfer(bool powerOff, const std::function<void()>& closeMainWindow);
