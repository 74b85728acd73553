// The end of a completed transfer started with Shift+F1, Shift+F2 or the END
// argument: the program closes itself and, with Power_Off "Y", switches the PC off.
// Called by the send and receive jobs on completion only, after the line is closed.
#pragma once

#include <functional>

struct TSettings;

// Closes the main window the normal way (the settings are saved), then asks the
// platform to power off when Power_Off is "Y"; a refusal is not reported.
void ShutdownAfterTransfer(const TSettings& settings, const std::function<void()>& closeMainWindow);
