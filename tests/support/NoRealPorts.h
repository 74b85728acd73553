// Every test program starts with no serial device of the machine visible, so that
// an unmapped COM name never opens real hardware; tests map ports to pseudo-terminals.
#pragma once

#include "platform/SerialDevices.h"

inline void HideRealSerialPorts() {
    SetSerialDeviceRootsForTest("/nonexistent/dravik-test/sys-class-tty",
                                "/nonexistent/dravik-test/dev");
}
