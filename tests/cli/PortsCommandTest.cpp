// The ports command as a script runs it: the report and the exit status over
// pseudo-terminals named in Ports and a device found under a prepared sysfs.
#include "cli/PortsCommand.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string text;
};

Outcome Ports(const PortMap& ports, const PortDiagnosisRoots& roots) {
    std::ostringstream out;
    int status = RunPorts(ports, out, roots);
    return {status, out.str()};
}

TEST(PortsCommand, StatusAndReportOverTwoRunsAndAFoundDevice) {
    TempDir dir;
    fs::create_directories(dir / "sys");
    PortDiagnosisRoots roots;
    roots.sysClassTty = dir / "sys";
    PseudoTerminal first, second;
    ASSERT_TRUE(first.Ok() && second.Ok());
    PortMap ports = {{"COM2", second.SlavePath()}, {"COM1", first.SlavePath()}};

    Outcome run = Ports(ports, roots);
    EXPECT_EQ(run.status, 0) << run.text;
    EXPECT_LT(run.text.find("COM1  " + first.SlavePath() + "\n"),
              run.text.find("COM2  " + second.SlavePath() + "\n"));
    // The first run's open test leaves nothing behind that the second would see.
    EXPECT_EQ(Ports(ports, roots).text, run.text);

    // A device found under sysfs takes the next free number; its node is a
    // plain file, so the command fails and says why.
    fs::create_directories(dir / "sys" / "ttyUSB0" / "device");
    roots.dev = dir / "dev";
    fs::create_directories(roots.dev);
    std::string node = dir.Write("dev/ttyUSB0", "").string();
    run = Ports(ports, roots);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.text.find("COM3  " + node + "\n"), std::string::npos) << run.text;
    EXPECT_NE(run.text.find("  reason    not a serial port"), std::string::npos) << run.text;

    fs::remove_all(dir / "sys" / "ttyUSB0");
    run = Ports({}, roots);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.text.find("no serial port"), std::string::npos) << run.text;
}

} // namespace
