// Switching the machine off after a transfer: `systemctl poweroff` through logind.
// Tests replace the request so that no test ever switches anything off.
#pragma once

#include <functional>

// Requests the power-off; false when the request could not be made or was refused.
bool RequestPowerOff();

// Test seam: when set, RequestPowerOff calls this instead of the system.
void SetPowerOffForTest(std::function<bool()> powerOff);
