// Where a port name of section Ports may point besides a device: a serial device
// server on the network, "rfc2217://HOST:PORT" (Telnet with the COM port option,
// the line set from here) or "tcp://HOST:PORT" (raw bytes, the line set in the
// server). HOST is a name, an IPv4 address or a bracketed IPv6 address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class NetworkKind { Rfc2217, RawTcp };

struct NetworkTarget {
    NetworkKind kind = NetworkKind::RawTcp;
    std::string host; // without the brackets of an IPv6 address
    int port = 0;
    bool operator==(const NetworkTarget&) const = default;
};

// True when the text starts with one of the two schemes (any letter case), also
// when the rest is malformed: such a text never names a device.
bool IsNetworkTarget(std::string_view text);

// The target of a well-formed text, or nullopt.
std::optional<NetworkTarget> ParseNetworkTarget(std::string_view text);

// The target written back as text, rfc2217://[::1]:4001.
std::string NetworkTargetText(const NetworkTarget& target);
