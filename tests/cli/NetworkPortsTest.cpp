// The ports command on device servers: the real ser2net in front of a
// pseudo-terminal, once with the COM port option, once as a plain Telnet server
// and once raw, beside a port that nothing listens on.
#include "Ser2Net.h"
#include "cli/PortsCommand.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The lines of one port's block, "" when the port is not in the report.
std::string Block(const std::string& report, const std::string& port) {
    size_t start = report.find(port + "  ");
    if (start == std::string::npos)
        return "";
    size_t end = report.find("\n\n", start);
    return report.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(NetworkPorts, ReachabilityComPortOptionAndModemLinesOfEachServer) {
    if (!Ser2NetInstalled())
        GTEST_SKIP() << "ser2net is not installed";
    TempDir dir;
    PortDiagnosisRoots roots;
    roots.sysClassTty = dir / "sys";
    PseudoTerminal rfcLine, telnetLine, rawLine;
    ASSERT_TRUE(rfcLine.Ok() && telnetLine.Ok() && rawLine.Ok());
    Ser2Net rfc(rfcLine.SlavePath(), Ser2Net::Kind::Rfc2217);
    Ser2Net telnet(telnetLine.SlavePath(), Ser2Net::Kind::Telnet);
    Ser2Net raw(rawLine.SlavePath(), Ser2Net::Kind::Raw);
    ASSERT_TRUE(rfc.Start() && telnet.Start() && raw.Start());
    const std::string nothing = "rfc2217://127.0.0.1:" + std::to_string(FreeLocalPort());
    const std::string telnetTarget = "rfc2217://127.0.0.1:" + std::to_string(telnet.Port());

    struct Case {
        std::string port;
        std::string target;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"COM9",
         rfc.Target(),
         // A pseudo-terminal has no modem lines: the server reports them all off.
         {"  reachable yes", "  rfc2217   accepted", "  modem     CTS off, DSR off, CD off"}},
        {"COM10",
         telnetTarget,
         {"  reachable yes", "  rfc2217   refused: used as raw TCP",
          "  modem     not reported; read as on"}},
        {"COM11",
         raw.Target(),
         {"  reachable yes", "  rfc2217   not asked (raw TCP)",
          "  modem     not reported by raw TCP; read as on"}},
        {"COM12",
         nothing,
         {"  reachable no", "  rfc2217   -", "  modem     -", "は接続を拒否しました",
          "  hint      check the device server and the network"}},
    };
    PortMap ports;
    for (const Case& c : cases)
        ports.emplace_back(c.port, c.target);
    std::ostringstream out;
    EXPECT_EQ(RunPorts(ports, out, roots), 1) << "COM12 cannot be used";
    const std::string report = out.str();
    for (const Case& c : cases) {
        const std::string block = Block(report, c.port);
        EXPECT_TRUE(block.starts_with(c.port + "  " + c.target + "\n")) << report;
        for (const std::string& line : c.lines)
            EXPECT_NE(block.find(line), std::string::npos) << line << "\n" << block;
        EXPECT_EQ(block.find("by-id"), std::string::npos) << block;
    }

    // Without the port nobody reaches, every server can be used.
    ports.pop_back();
    std::ostringstream again;
    EXPECT_EQ(RunPorts(ports, again, roots), 0) << again.str();
}

} // namespace
