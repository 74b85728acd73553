#include "platform/SerialDevices.h"

#include "platform/NetworkPort.h"
#include "platform/NetworkTarget.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        c = AsciiUpper(c);
    }
    return text;
}

// An 8250 port the kernel reserved without finding a UART reports type 0.
bool IsPlaceholder(const fs::path& entry) {
    std::ifstream type(entry / "type");
    int value = -1;
    return type >> value && value == 0;
}

struct SortKey {
    int group;
    long number;
    std::string name;
    auto operator<=>(const SortKey&) const = default;
};

SortKey KeyOf(const std::string& name) {
    static const char* const prefixes[] = {"ttyS", "ttyUSB", "ttyACM"};
    for (int group = 0; group < 3; ++group) {
        std::string_view prefix = prefixes[group];
        if (name.starts_with(prefix)) {
            long number = 0;
            const char* first = name.data() + prefix.size();
            const char* last = name.data() + name.size();
            auto [end, ec] = std::from_chars(first, last, number);
            if (ec == std::errc() && end == last) {
                return {group, number, name};
            }
        }
    }
    return {3, 0, name};
}

fs::path Canonical(const fs::path& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical;
}

std::string StableName(const fs::path& devRoot, const std::string& name) {
    fs::path device = devRoot / name;
    std::string link = SerialByIdName(devRoot, device);
    return link.empty() ? device.string() : link;
}

const std::string* FindEntry(const PortMap& ports, const std::string& upperName) {
    for (const auto& [port, device] : ports) {
        if (Upper(port) == upperName) {
            return &device;
        }
    }
    return nullptr;
}

} // namespace

std::string SerialByIdName(const fs::path& devRoot, const fs::path& device) {
    fs::path canonicalDevice = Canonical(device);
    std::error_code ec;
    std::vector<std::string> links;
    for (const auto& link : fs::directory_iterator(devRoot / "serial" / "by-id", ec)) {
        if (Canonical(link.path()) == canonicalDevice) {
            links.push_back(link.path().string());
        }
    }
    return links.empty() ? std::string() : *std::min_element(links.begin(), links.end());
}

std::vector<SerialDevice> ListSerialDevices(const fs::path& sysClassTty, const fs::path& devRoot) {
    std::vector<std::pair<SortKey, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysClassTty, ec)) {
        std::error_code existsError;
        if (!fs::exists(entry.path() / "device", existsError) || IsPlaceholder(entry.path())) {
            continue;
        }
        std::string name = entry.path().filename().string();
        found.emplace_back(KeyOf(name), name);
    }
    std::sort(found.begin(), found.end());
    std::vector<SerialDevice> devices;
    for (const auto& [key, name] : found) {
        devices.push_back({name, StableName(devRoot, name)});
    }
    return devices;
}

int PortNumber(const std::string& portName) {
    std::string upper = Upper(portName);
    if (!upper.starts_with("COM") || upper.size() > 6) {
        return 0;
    }
    int number = 0;
    const char* first = upper.data() + 3;
    const char* last = upper.data() + upper.size();
    auto [end, ec] = std::from_chars(first, last, number);
    return (ec == std::errc() && end == last && number > 0) ? number : 0;
}

PortMap AutomaticPortMap(const PortMap& ports, const std::vector<SerialDevice>& devices) {
    std::set<int> taken;
    std::set<fs::path> mapped;
    for (const auto& [port, device] : ports) {
        if (int n = PortNumber(port)) {
            taken.insert(n);
        }
        mapped.insert(Canonical(device));
    }
    PortMap automatic;
    int next = 1;
    for (const auto& device : devices) {
        if (mapped.count(Canonical(device.path)) != 0) {
            continue;
        }
        while (taken.count(next) != 0) {
            ++next;
        }
        automatic.emplace_back("COM" + std::to_string(next), device.path);
        taken.insert(next);
    }
    return automatic;
}

std::string PortDevicePath(const std::string& portName, const PortMap& ports,
                           const std::vector<SerialDevice>& devices) {
    std::string upper = Upper(portName);
    if (const std::string* device = FindEntry(ports, upper)) {
        return *device;
    }
    for (const auto& [port, device] : AutomaticPortMap(ports, devices)) {
        if (port == upper) {
            return device;
        }
    }
    return "";
}

namespace {

struct DeviceRoots {
    fs::path sysClassTty = "/sys/class/tty";
    fs::path dev = "/dev";
};

DeviceRoots& Roots() {
    static DeviceRoots roots;
    return roots;
}

} // namespace

std::vector<SerialDevice> PresentSerialDevices() {
    return ListSerialDevices(Roots().sysClassTty, Roots().dev);
}

void SetSerialDeviceRootsForTest(const fs::path& sysClassTty, const fs::path& devRoot) {
    Roots() = {sysClassTty, devRoot};
}

std::string PortDevicePath(const std::string& portName, const PortMap& ports) {
    // An entry of its own spares the look at /sys.
    if (const std::string* device = FindEntry(ports, Upper(portName))) {
        return *device;
    }
    return PortDevicePath(portName, ports, PresentSerialDevices());
}

void RecordPortMapping(PortMap& ports) {
    for (auto& entry : AutomaticPortMap(ports, PresentSerialDevices())) {
        ports.push_back(std::move(entry));
    }
}

PortOpenResult OpenPort(const std::string& portName, const PortMap& ports) {
    std::string device = PortDevicePath(portName, ports);
    if (IsNetworkTarget(device)) {
        PortOpenResult result = OpenNetworkPort(device);
        if (!result.port) {
            result.detail = portName + " (" + result.detail + ")";
        }
        return result;
    }
    if (!device.empty()) {
        return OpenSerialDevice(device);
    }
    PortOpenResult result;
    result.error = ENOENT;
    result.detail = portName + ": 対応するデバイスがありません。Dravik.INI の [Ports] に " +
                    portName + "=/dev/ttyUSB0 のように指定してください。";
    return result;
}

bool ProbePort(int portNumber, const PortMap& ports, const std::vector<std::string>& modemPorts) {
    std::string name = "COM" + std::to_string(portNumber);
    // A device server is only asked whether it takes a connection: the panel's
    // list must not wait for a negotiation with every server.
    if (std::string device = PortDevicePath(name, ports); IsNetworkTarget(device)) {
        if (!ProbeNetworkPort(device)) {
            return false;
        }
    } else if (!OpenPort(name, ports).port) {
        return false;
    }
    return std::none_of(modemPorts.begin(), modemPorts.end(),
                        [&](const std::string& modem) { return Upper(modem) == name; });
}
