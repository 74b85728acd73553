// Which device a port name "COMn" stands for, and the ports that exist. A
// name resolves through section Ports of Dravik.INI; names without an entry
// get the serial devices found under /sys/class/tty in a stable order, and
// RecordPortMapping writes that automatic mapping back so that it stays put.
#pragma once

#include "platform/SerialPort.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct SerialDevice {
    std::string name; // kernel name, "ttyUSB0"
    std::string path; // the stable /dev/serial/by-id name when there is one, else /dev/<name>
};

using PortMap = std::vector<std::pair<std::string, std::string>>;

// Serial devices with hardware behind them (placeholder 8250 ports left out),
// ttyS by number, then ttyUSB, ttyACM, the rest by name.
std::vector<SerialDevice>
ListSerialDevices(const std::filesystem::path& sysClassTty = "/sys/class/tty",
                  const std::filesystem::path& devRoot = "/dev");

// The /dev/serial/by-id link that leads to device (the first by name), or "".
std::string SerialByIdName(const std::filesystem::path& devRoot,
                           const std::filesystem::path& device);

// The serial devices present now (ListSerialDevices on the machine's folders).
std::vector<SerialDevice> PresentSerialDevices();

// Where the functions below look for present devices. Tests point them at an
// empty folder, so that no test ever opens a real serial port of the machine.
void SetSerialDeviceRootsForTest(const std::filesystem::path& sysClassTty,
                                 const std::filesystem::path& devRoot);

// The number n of a port name "COMn" (any letter case), or 0.
int PortNumber(const std::string& portName);

// COMn names for the devices that no entry of ports names, lowest free numbers first.
PortMap AutomaticPortMap(const PortMap& ports, const std::vector<SerialDevice>& devices);

// The device path a port name stands for, or "" when none.
std::string PortDevicePath(const std::string& portName, const PortMap& ports,
                           const std::vector<SerialDevice>& devices);
// The same with the devices present now; an entry of ports spares the look at them.
std::string PortDevicePath(const std::string& portName, const PortMap& ports);

// Opens the device a port name stands for (OpenSerialDevice); a name that
// stands for none fails with ENOENT and a detail that says how to map it.
PortOpenResult OpenPort(const std::string& portName, const PortMap& ports);

// Adds the automatic mapping of the devices present now to ports.
void RecordPortMapping(PortMap& ports);

// True when COMn can be opened exclusively (it is closed again at once) and
// is none of modemPorts (any letter case). Shows nothing.
bool ProbePort(int portNumber, const PortMap& ports, const std::vector<std::string>& modemPorts);
