#include "platform/PortDiagnosis.h"

#include "platform/FileRead.h"
#include "platform/NetworkPort.h"
#include "platform/NetworkTarget.h"
#include "platform/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path Canonical(const fs::path& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical;
}

std::string FileText(const fs::path& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) ? bytes : std::string();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

bool ParseNumber(const std::string& text, long& number) {
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(text.data(), last, number);
    return ec == std::errc() && end == last && !text.empty();
}

// Entries of a folder; a folder that vanishes while it is read (a process that
// ends) simply ends the list.
void ForEachEntry(const fs::path& folder, const std::function<void(const fs::path&)>& visit) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        visit(it->path());
    }
}

// The numbers after "key:" in a /proc/<pid>/status text.
std::vector<long> StatusNumbers(const std::string& status, const std::string& key) {
    std::vector<long> numbers;
    for (const std::string& line : Split(status, '\n')) {
        if (line.starts_with(key + ":")) {
            std::istringstream values(line.substr(key.size() + 1));
            for (long value; values >> value;) {
                numbers.push_back(value);
            }
        }
    }
    return numbers;
}

// A line of etc/group or etc/passwd whose third field is id.
std::vector<std::string> DatabaseEntry(const fs::path& file, long id) {
    for (const std::string& line : Split(FileText(file), '\n')) {
        std::vector<std::string> fields = Split(line, ':');
        long number = -1;
        if (fields.size() >= 3 && ParseNumber(fields[2], number) && number == id) {
            return fields;
        }
    }
    return {};
}

// Who runs the diagnosis, as the session's processes see it.
struct Account {
    std::set<long> sessionGroups; // effective group and supplementary groups
    std::string userName;
    long primaryGroup = -1; // from the user database
};

Account ReadAccount(const PortDiagnosisRoots& roots) {
    std::string status = FileText(roots.proc / "self" / "status");
    Account account;
    std::vector<long> gids = StatusNumbers(status, "Gid");
    if (gids.size() >= 2) {
        account.sessionGroups.insert(gids[1]);
    }
    for (long group : StatusNumbers(status, "Groups")) {
        account.sessionGroups.insert(group);
    }
    std::vector<long> uids = StatusNumbers(status, "Uid");
    if (!uids.empty()) {
        std::vector<std::string> user = DatabaseEntry(roots.etc / "passwd", uids[0]);
        if (user.size() >= 4) {
            account.userName = user[0];
            ParseNumber(user[3], account.primaryGroup);
        }
    }
    return account;
}

void DescribeGroup(PortDiagnosis& d, const PortDiagnosisRoots& roots, const Account& account) {
    struct stat st {};
    if (::stat(d.device.c_str(), &st) != 0) {
        return;
    }
    long gid = static_cast<long>(st.st_gid);
    std::vector<std::string> group = DatabaseEntry(roots.etc / "group", gid);
    d.group = group.empty() ? std::to_string(gid) : group[0];
    d.userInGroup = account.sessionGroups.count(gid) != 0;
    std::vector<std::string> members =
        group.size() >= 4 ? Split(group[3], ',') : std::vector<std::string>();
    bool listed = account.primaryGroup == gid ||
                  (!account.userName.empty() &&
                   std::find(members.begin(), members.end(), account.userName) != members.end());
    d.userListedInGroup = listed && !d.userInGroup;
}

void DescribeDevice(PortDiagnosis& d, const PortDiagnosisRoots& roots) {
    fs::path canonical = Canonical(d.device);
    if (canonical.parent_path() == Canonical(roots.dev / "pts")) {
        d.kernelName = "pts/" + canonical.filename().string();
        d.driver = "pty";
    } else {
        d.kernelName = canonical.filename().string();
        std::error_code ec;
        fs::path driver =
            fs::read_symlink(roots.sysClassTty / d.kernelName / "device" / "driver", ec);
        d.driver = ec ? std::string() : driver.filename().string();
    }
    d.byId = SerialByIdName(roots.dev, d.device);
}

PortProblem ProblemOf(int error) {
    switch (error) {
    case 0:
        return PortProblem::None;
    case EACCES:
    case EPERM:
        return PortProblem::Permission;
    case EBUSY:
    case EWOULDBLOCK:
        return PortProblem::Held;
    case ENOENT:
        return PortProblem::Gone;
    case ENXIO:
    case ENODEV:
    case EIO:
        return PortProblem::NoHardware;
    case ENOTTY:
        return PortProblem::NotSerial;
    default:
        return PortProblem::Other;
    }
}

std::string ProcessText(const ProcessInfo& process) {
    return "process " + std::to_string(process.pid) + " (" + process.name + ")";
}

std::string PermissionReason(const PortDiagnosis& d) {
    if (d.userListedInGroup) {
        return "permission denied: the user was added to group " + d.group +
               " after this session began";
    }
    if (!d.userInGroup && !d.group.empty()) {
        return "permission denied: the device belongs to group " + d.group +
               " and the user is not in it";
    }
    return "permission denied: the user is in group " + d.group +
           ", but the device's mode refuses the open";
}

std::string ReasonOf(const PortDiagnosis& d) {
    switch (d.problem) {
    case PortProblem::None:
        return d.holders.empty() ? ""
                                 : "opens, but " + ProcessText(d.holders[0]) + " has it open too";
    case PortProblem::NoDevice:
        return "no device: neither [Ports] of Dravik.INI nor the present devices give one";
    case PortProblem::Gone:
        return "device gone: " + d.device + " does not exist";
    case PortProblem::Permission:
        return PermissionReason(d);
    case PortProblem::Held:
        return d.holders.empty() ? "held by a process that this user cannot see"
                                 : "held by " + ProcessText(d.holders[0]);
    case PortProblem::NoHardware:
        return "no hardware answers behind the device";
    case PortProblem::NotSerial:
        return "not a serial port: the device is not a terminal";
    case PortProblem::Unreachable:
        return d.reason;
    case PortProblem::Other:
        break;
    }
    return std::string("open failed: ") + std::strerror(d.error);
}

// The devices that the processes' descriptors are compared with: the kernel
// names an open terminal by its canonical path.
struct ProcessScan {
    std::map<std::string, std::vector<ProcessInfo>> holders;
    std::vector<ProcessInfo> grabbers;
};

// Programs that open USB serial adapters on their own: ModemManager probes each
// new one with AT commands, brltty claims some (CH341, CP210x) for braille displays.
constexpr const char* kGrabbers[] = {"ModemManager", "brltty"};

ProcessScan ScanProcesses(const fs::path& proc, const std::set<std::string>& devices) {
    ProcessScan scan;
    ForEachEntry(proc, [&](const fs::path& entry) {
        long pid = 0;
        if (!ParseNumber(entry.filename().string(), pid)) {
            return;
        }
        std::string name = FileText(entry / "comm");
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) {
            name.pop_back();
        }
        ProcessInfo process{static_cast<int>(pid), name};
        if (std::find(std::begin(kGrabbers), std::end(kGrabbers), name) != std::end(kGrabbers)) {
            scan.grabbers.push_back(process);
        }
        std::set<std::string> held;
        ForEachEntry(entry / "fd", [&](const fs::path& fd) {
            std::error_code ec;
            std::string target = fs::read_symlink(fd, ec).string();
            if (!ec && devices.count(target) != 0 && held.insert(target).second) {
                scan.holders[target].push_back(process);
            }
        });
    });
    auto byPid = [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; };
    std::sort(scan.grabbers.begin(), scan.grabbers.end(), byPid);
    for (auto& [device, holders] : scan.holders) {
        std::sort(holders.begin(), holders.end(), byPid);
    }
    return scan;
}

// A grabber matters for adapters, not for on-board ports or pseudo-terminals.
bool Grabbable(const PortDiagnosis& d) {
    return d.driver != "pty" && !d.kernelName.starts_with("ttyS");
}

std::string GrabberHint(const std::string& name) {
    if (name == "ModemManager") {
        return "stop ModemManager or mark the adapter ignored: sudo systemctl stop "
               "ModemManager, or a udev rule with ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
    }
    return "brltty takes USB serial adapters: sudo systemctl stop brltty (or remove the "
           "package brltty), then plug the adapter in again";
}

std::string PermissionHint(const PortDiagnosis& d) {
    if (d.userListedInGroup) {
        return "log in again, so that the session gets group " + d.group;
    }
    if (!d.userInGroup && !d.group.empty()) {
        return "add the user to group " + d.group + ": sudo usermod -aG " + d.group +
               " $USER, then log in again";
    }
    return "check the device's mode: ls -l " + d.device;
}

std::string ProblemHint(const PortDiagnosis& d) {
    switch (d.problem) {
    case PortProblem::NoDevice:
        return "name its device in [Ports] of Dravik.INI, for example " + d.port + "=/dev/ttyUSB0";
    case PortProblem::Gone:
        return "plug the adapter in, or correct " + d.port + " in [Ports] of Dravik.INI";
    case PortProblem::Permission:
        return PermissionHint(d);
    case PortProblem::Held:
        // A holder that can be named gets its own hint.
        return d.holders.empty() ? "a process of another user holds " + d.device +
                                       "; run this command as root to name it"
                                 : "";
    case PortProblem::NoHardware:
        return "check the adapter and its cable; an on-board port without a UART cannot be used";
    case PortProblem::NotSerial:
        return "correct " + d.port + " in [Ports] of Dravik.INI to a serial device";
    case PortProblem::Unreachable:
        return "check the device server and the network, or correct " + d.port +
               " in [Ports] of Dravik.INI (rfc2217://HOST:PORT or tcp://HOST:PORT)";
    case PortProblem::None:
    case PortProblem::Other:
        break;
    }
    return "";
}

// A device server is opened as a transfer opens it; its reason is its own.
void DiagnoseNetworkPort(PortDiagnosis& d) {
    d.network = true;
    NetworkCheck check = CheckNetworkPort(d.device);
    d.opens = check.reachable;
    d.problem = check.reachable ? PortProblem::None : PortProblem::Unreachable;
    d.reason = check.reason;
    d.comPortAsked = check.comPortAsked;
    d.comPortAccepted = check.comPortAccepted;
    d.modemKnown = check.modemKnown;
    d.modemBits = check.modemBits;
}

} // namespace

PortMap KnownPorts(const PortMap& ports, const std::vector<SerialDevice>& devices) {
    PortMap known = ports;
    for (auto& entry : AutomaticPortMap(ports, devices)) {
        known.push_back(std::move(entry));
    }
    // COM names by number; names that are no COM name keep their place at the end.
    std::stable_sort(known.begin(), known.end(), [](const auto& a, const auto& b) {
        int na = PortNumber(a.first), nb = PortNumber(b.first);
        return na != 0 && (nb == 0 || na < nb);
    });
    return known;
}

std::vector<PortDiagnosis> DiagnosePorts(const PortMap& ports, const PortDiagnosisRoots& roots) {
    Account account = ReadAccount(roots);
    std::vector<PortDiagnosis> diagnoses;
    std::set<std::string> devices;
    for (const auto& [port, device] : ports) {
        PortDiagnosis& d = diagnoses.emplace_back();
        d.port = port;
        d.device = device;
        if (device.empty()) {
            d.problem = PortProblem::NoDevice;
            continue;
        }
        if (IsNetworkTarget(device)) {
            DiagnoseNetworkPort(d);
            continue;
        }
        DescribeDevice(d, roots);
        DescribeGroup(d, roots, account);
        // Opened and closed at once, the way a transfer opens it.
        PortOpenResult open = OpenSerialDevice(device);
        d.opens = open.port != nullptr;
        d.error = open.error;
        d.problem = d.opens ? PortProblem::None : ProblemOf(open.error);
        devices.insert(Canonical(device).string());
    }
    ProcessScan scan = ScanProcesses(roots.proc, devices);
    for (PortDiagnosis& d : diagnoses) {
        if (d.network) {
            continue;
        }
        if (!d.device.empty()) {
            d.holders = scan.holders[Canonical(d.device).string()];
            if (Grabbable(d)) {
                d.grabbers = scan.grabbers;
            }
        }
        d.reason = ReasonOf(d);
    }
    return diagnoses;
}

bool PortUsable(const PortDiagnosis& diagnosis) {
    return diagnosis.opens && diagnosis.holders.empty();
}

std::vector<std::string> PortHints(const PortDiagnosis& d) {
    std::vector<std::string> hints;
    if (std::string hint = ProblemHint(d); !hint.empty()) {
        hints.push_back(hint);
    }
    for (const ProcessInfo& holder : d.holders) {
        hints.push_back(ProcessText(holder) + " holds " + d.device);
    }
    for (const ProcessInfo& grabber : d.grabbers) {
        hints.push_back(GrabberHint(grabber.name));
    }
    return hints;
}

namespace {

std::string Processes(const std::vector<ProcessInfo>& processes) {
    std::string text;
    for (const ProcessInfo& process : processes) {
        text += (text.empty() ? "" : ", ") + std::to_string(process.pid) + " " + process.name;
    }
    return text;
}

std::string GroupText(const PortDiagnosis& d) {
    if (d.group.empty()) {
        return "";
    }
    if (d.userListedInGroup) {
        return d.group + " (user added, not yet in this session)";
    }
    return d.group + (d.userInGroup ? " (user in it)" : " (user not in it)");
}

void Line(std::ostringstream& out, const char* label, const std::string& value) {
    constexpr size_t kLabelWidth = 10;
    std::string padded = label;
    padded.resize(kLabelWidth, ' ');
    out << "  " << padded << (value.empty() ? "-" : value) << '\n';
}

} // namespace

std::string ComPortText(const PortDiagnosis& d) {
    if (!d.comPortAsked) {
        return "not asked (raw TCP)";
    }
    if (!d.opens) {
        return "";
    }
    return d.comPortAccepted ? "accepted" : "refused: used as raw TCP";
}

std::string ModemText(const PortDiagnosis& d) {
    if (!d.opens) {
        return "";
    }
    if (d.comPortAsked && !d.comPortAccepted) {
        return "not reported; read as on";
    }
    if (!d.comPortAsked) {
        return "not reported by raw TCP; read as on";
    }
    if (!d.modemKnown) {
        return "not reported by the server";
    }
    auto on = [&](unsigned bit) { return (d.modemBits & bit) != 0 ? " on" : " off"; };
    return std::string("CTS") + on(kModemCts) + ", DSR" + on(kModemDsr) + ", CD" + on(kModemRlsd);
}

void FormatNetworkPort(std::ostringstream& out, const PortDiagnosis& d) {
    Line(out, "reachable", d.opens ? "yes" : "no");
    Line(out, "rfc2217", ComPortText(d));
    Line(out, "modem", ModemText(d));
}

std::string FormatPortDiagnoses(const std::vector<PortDiagnosis>& diagnoses) {
    std::ostringstream out;
    for (const PortDiagnosis& d : diagnoses) {
        if (&d != &diagnoses.front()) {
            out << '\n';
        }
        out << d.port << "  " << (d.device.empty() ? "-" : d.device) << '\n';
        if (d.network) {
            FormatNetworkPort(out, d);
        } else {
            Line(out, "by-id", d.byId);
            Line(out, "driver", d.driver);
            Line(out, "opens", d.opens ? "yes" : "no");
            Line(out, "group", GroupText(d));
        }
        if (!d.holders.empty()) {
            Line(out, "held by", Processes(d.holders));
        }
        if (!d.grabbers.empty()) {
            Line(out, "grabbers", Processes(d.grabbers));
        }
        if (!d.reason.empty()) {
            Line(out, "reason", d.reason);
        }
        for (const std::string& hint : PortHints(d)) {
            Line(out, "hint", hint);
        }
    }
    return out.str();
}
