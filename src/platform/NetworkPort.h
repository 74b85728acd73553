// A serial line on a device server, as one more SerialPort: the transfer code
// cannot tell it from a tty. Over RFC 2217 the line parameters go to the server
// and are in force once it has answered each; DSR, CTS and carrier come from its
// modem-state notices. Over raw TCP (or a server that refuses the COM port
// option) the server's own settings hold and the modem lines read as on. The
// written bytes are paced by the line's rate as on a tty, so that what is on
// its way to the server's port after a DC3 stays as short as there.
#pragma once

#include "platform/NetworkTarget.h"
#include "platform/SerialPort.h"

#include <string>

// A host that does not answer is given up after this long.
inline constexpr int kConnectTimeoutMs = 5000;
// How long the negotiation and each group of settings wait for the server's answers.
inline constexpr int kServerAnswerTimeoutMs = 5000;
// The port list's probe only asks whether the server takes a connection.
inline constexpr int kProbeConnectTimeoutMs = 500;

// Connects to the device server named by target (rfc2217:// or tcp://) and, for
// RFC 2217, negotiates the COM port option. A server that refuses it still
// opens, raw, with a warning.
PortOpenResult OpenNetworkPort(const std::string& target);

// True when the server takes a TCP connection within kProbeConnectTimeoutMs
// (it is closed again at once; nothing is negotiated).
bool ProbeNetworkPort(const std::string& target);

// What `ports` reports of a device server.
struct NetworkCheck {
    bool reachable = false;
    std::string reason;        // why not, in the operator's words ("" when reachable)
    bool comPortAsked = false; // the target is rfc2217://
    bool comPortAccepted = false;
    bool modemKnown = false; // the server reported its modem lines
    unsigned modemBits = 0;  // kModemCts, kModemDsr, kModemRlsd
};

// Opens the port as a transfer would, waits briefly for the server's modem
// state, and closes it again.
NetworkCheck CheckNetworkPort(const std::string& target);
