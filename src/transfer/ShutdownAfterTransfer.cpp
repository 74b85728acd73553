#include "transfer/ShutdownAfterTransfer.h"

#include "platform/PowerOff.h"
#include "settings/Settings.h"

void ShutdownAfterTransfer(const TSettings& settings,
                           const std::function<void()>& closeMainWindow) {
    closeMainWindow();
    // Linux has one way to switch off (logind): the privileged and the plain way of
    // the original system are the same here.
    if (settings.Power_Off == "Y")
        RequestPowerOff();
}
