// The machines a server serves: Machines.ini in the program folder, one section
// [Machine:NAME] each, read with the same INI layer as Dravik.INI. A section's
// keys stand over the settings of Dravik.INI; a bad section is reported with its
// line and left out, and the others are served.
#pragma once

#include "platform/SerialDevices.h"
#include "settings/Settings.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct Machine {
    std::string name;
    TSettings settings; // DirPath is the machine's folder, Port1 and Port2 its line
    std::string port;   // as written in the section, for the operator
    bool autoReceive = true;
    bool request = false;
    std::string requestProgram = "O9999";
    int requestDelaySeconds = 5;
    int line = 0; // of the section header
};

struct MachineTable {
    std::vector<Machine> machines;
    std::vector<std::string> problems; // "Machines.ini 12: ...", one per bad section
};

// Whether a port text of a section names a line: a COM name that [Ports] or a
// present device gives, a device path, or a network address.
using PortKnown = std::function<bool(const std::string& port, const PortMap& ports)>;
bool PortIsKnown(const std::string& port, const PortMap& ports);

// Machines.ini beside Dravik.INI.
std::filesystem::path MachinesPath();

// The table of the file's bytes over base (Dravik.INI). A relative Folder is
// taken from programFolder.
MachineTable ReadMachineTable(std::string_view bytes, const TSettings& base,
                              const std::filesystem::path& programFolder,
                              const PortKnown& portKnown = PortIsKnown);

// The port name a machine's line is opened by: a COM name as it is; anything
// else (a device path, a network address) under a COM name of its own.
inline constexpr std::string_view kMachinePortName = "COM999";
