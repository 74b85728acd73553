// dravik-cli ports: which device each COM name stands for, as a transfer
// would resolve it: the entries of [Ports] in Dravik.INI, then the serial
// devices present now under the names they would get.
#include "cli/Commands.h"
#include "platform/SerialDevices.h"
#include "settings/Settings.h"

#include <cstdio>

int RunPorts(const TSettings& settings) {
    const PortMap automatic = AutomaticPortMap(settings.Ports, PresentSerialDevices());
    for (const auto& [name, device] : settings.Ports)
        std::printf("%s\t%s\t(Dravik.INI)\n", name.c_str(), device.c_str());
    for (const auto& [name, device] : automatic)
        std::printf("%s\t%s\n", name.c_str(), device.c_str());
    if (settings.Ports.empty() && automatic.empty())
        std::fprintf(stderr, "dravik-cli: シリアルポートが見つかりません\n");
    return kExitCompleted;
}
