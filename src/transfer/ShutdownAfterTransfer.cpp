#include "transfer/ShutdownAfterTransfer.h"

#include "platform/PowerOff.h"

void ShutdownAfterTransfer(bool powerOff, const std::function<void()>& closeMainWindow) {
    closeMainWindow();
    // Linux has one way to switch off (logind): the privileged and the plain way of
    // the original system are the same here.
    if (powerOff)
        RequestPowerOff();
}
