#include "app/qt/Mainunit1.h"

#include "platform/SerialDevices.h"

bool TForm1::PortUsable(int portNumber) {
    return ProbePort(portNumber, Settings.Ports, {Settings.ModemePort1, Settings.ModemePort2});
}
