// Why a serial port does or does not open now, for the operator who asks why a
// transfer "does nothing": the device behind each COM name, its stable name and
// driver, an open tried the way a transfer opens it, the device's group, the
// processes that hold it and the known programs that take adapters away. Every
// look at the machine goes through PortDiagnosisRoots, so that tests use a
// prepared tree; the open goes through the serial module's own seam.
#pragma once

#include "platform/SerialDevices.h"

#include <filesystem>
#include <string>
#include <vector>

struct PortDiagnosisRoots {
    std::filesystem::path sysClassTty = "/sys/class/tty";
    std::filesystem::path dev = "/dev";
    std::filesystem::path proc = "/proc";
    std::filesystem::path etc = "/etc"; // group and passwd
};

struct ProcessInfo {
    int pid = 0;
    std::string name; // as /proc/<pid>/comm gives it
    bool operator==(const ProcessInfo&) const = default;
};

enum class PortProblem {
    None,
    NoDevice,    // the COM name stands for no device
    Gone,        // the device node does not exist (unplugged, or taken by a grabber)
    Permission,  // the user may not open it
    Held,        // another open file description holds it exclusively
    NoHardware,  // the node exists but nothing answers behind it
    NotSerial,   // the path is not a terminal
    Unreachable, // a device server that cannot be reached
    Other,
};

struct PortDiagnosis {
    std::string port;       // "COM3"
    std::string device;     // as the port map names it
    std::string kernelName; // "ttyUSB0", "pts/3"
    std::string byId;       // the /dev/serial/by-id name, or ""
    std::string driver;     // "ftdi_sio", "pty", or "" when unknown
    bool opens = false;     // the open succeeded just now (and was closed again)
    PortProblem problem = PortProblem::None;
    int error = 0;      // errno of the failed open
    std::string reason; // one line, empty when it opens
    std::string group;  // group of the device node, "" when it has none
    bool userInGroup = false;
    // The group database lists the user, yet this session lacks the group: the
    // user was added and has not logged in again since.
    bool userListedInGroup = false;
    std::vector<ProcessInfo> holders;  // processes with the device open
    std::vector<ProcessInfo> grabbers; // ModemManager, brltty, when running
    // A device server (rfc2217:// or tcp://): opens means it is reachable.
    bool network = false;
    bool comPortAsked = false;    // rfc2217://
    bool comPortAccepted = false; // the server took the COM port option
    bool modemKnown = false;      // the server reported its modem lines
    unsigned modemBits = 0;
};

// Every COM name worth reporting: the entries of ports, then the present
// devices that none of them names (as AutomaticPortMap numbers them), by number.
PortMap KnownPorts(const PortMap& ports, const std::vector<SerialDevice>& devices);

// Diagnoses each (COM name, device) pair. The open of each device is closed
// again before the processes are looked at, so that the result never counts itself.
std::vector<PortDiagnosis> DiagnosePorts(const PortMap& ports,
                                         const PortDiagnosisRoots& roots = {});

// True when a transfer on the port can work now: it opens and no other process
// has it open (a second reader takes bytes that the transfer then misses).
bool PortUsable(const PortDiagnosis& diagnosis);

// What the operator can do about each problem of the port, one line each.
std::vector<std::string> PortHints(const PortDiagnosis& diagnosis);

// The report: one block per port with aligned labels, hints last in each block.
std::string FormatPortDiagnoses(const std::vector<PortDiagnosis>& diagnoses);
