// The port diagnosis on a prepared machine (sysfs, /dev, /proc, the group and
// user databases) with the opens' errors injected through the serial seam, and
// on real pseudo-terminals: one that opens, then one that another open holds.
#include "platform/PortDiagnosis.h"
#include "platform/SerialSystem.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A machine as the diagnosis reads it, in a temporary folder.
class FakeMachine {
public:
    FakeMachine() {
        for (const char* folder : {"sys", "dev/serial/by-id", "proc/self", "etc"}) {
            fs::create_directories(dir / folder);
        }
        struct stat st {};
        ::stat(dir.path().c_str(), &st);
        deviceGid = static_cast<long>(st.st_gid); // the group every node made here gets
        Session(false, false);
    }
    // A tty with a device behind it, and its node unless it is gone.
    std::string Device(const std::string& name, const std::string& driver, bool node = true) {
        fs::create_directories(dir / "sys" / name / "device");
        if (!driver.empty()) {
            fs::create_symlink("../../../bus/usb-serial/drivers/" + driver,
                               dir / "sys" / name / "device" / "driver");
        }
        if (node) {
            dir.Write("dev/" + name, "");
        }
        return (dir / "dev" / name).string();
    }
    std::string Link(const std::string& stable, const std::string& name) {
        fs::path link = dir / "dev" / "serial" / "by-id" / stable;
        fs::create_symlink("../../" + name, link);
        return link.string();
    }
    void Process(int pid, const std::string& comm, const std::vector<std::string>& open = {}) {
        fs::path folder = dir / "proc" / std::to_string(pid);
        fs::create_directories(folder / "fd");
        dir.Write("proc/" + std::to_string(pid) + "/comm", comm + "\n");
        int fd = 3;
        for (const std::string& device : open) {
            fs::create_symlink(fs::weakly_canonical(device), folder / "fd" / std::to_string(fd++));
        }
    }
    // The session's groups hold the device's group or not; the group database
    // lists the user in it or not.
    void Session(bool inGroup, bool listed) {
        std::string own = std::to_string(deviceGid), other = std::to_string(deviceGid + 1);
        dir.Write("proc/self/status", "Uid:\t1000\t1000\t1000\t1000\nGid:\t" + other + "\t" +
                                          other + "\t0\t0\nGroups:\t" + other +
                                          (inGroup ? " " + own : "") + "\n");
        dir.Write("etc/group", "dialout:x:" + own + ":kobo" + (listed ? ",operator" : "") + "\n");
        dir.Write("etc/passwd", "operator:x:1000:" + other + "::/home/operator:/bin/sh\n");
    }
    PortDiagnosisRoots Roots() const {
        return {dir / "sys", dir / "dev", dir / "proc", dir / "etc"};
    }

    TempDir dir;
    long deviceGid = 0;
};

// The serial seam with the errno of chosen opens injected; every other node of
// the fake machine opens as a terminal.
class InjectedOpens : public SerialSystem {
public:
    std::map<std::string, int> errors;
    std::set<int> open;
    InjectedOpens() { SetSerialSystemForTest(this); }
    ~InjectedOpens() override { SetSerialSystemForTest(nullptr); }
    int Open(const char* path, int flags) override {
        if (auto error = errors.find(path); error != errors.end()) {
            errno = error->second;
            return -1;
        }
        int fd = SerialSystem::Open(path, flags);
        if (fd >= 0) {
            open.insert(fd);
        }
        return fd;
    }
    int Close(int fd) override {
        open.erase(fd);
        return SerialSystem::Close(fd);
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        return open.count(fd) != 0 ? 0 : SerialSystem::Ioctl(fd, request, argument);
    }
};

// What the machine holds around COM1's device.
struct Machine {
    Machine(const char* tty, const char* driver) : tty(tty), driver(driver) {}
    Machine& Fails(int e) { return error = e, *this; }
    Machine& HeldBy(ProcessInfo p) { return holders.push_back(p), *this; }
    Machine& Running(ProcessInfo p) { return others.push_back(p), *this; }
    Machine& Listed() { return listed = true, *this; }
    Machine& Gone() { return node = false, *this; }

    std::string tty; // COM1's device, "" for none
    std::string driver;
    int error = 0;                    // of the open
    std::vector<ProcessInfo> holders; // processes with the device open
    std::vector<ProcessInfo> others;  // processes without it
    bool listed = false;              // the user database lists the user in dialout
    bool node = true;                 // the device node exists
};

struct Case {
    const char* what;
    Machine machine;
    PortProblem problem;
    std::string reasonPart;
    std::vector<std::string> hintParts;
    std::vector<ProcessInfo> grabbers = {};
};

TEST(PortDiagnosis, EachCommonReasonOnAPreparedMachine) {
    const ProcessInfo minicom{1234, "minicom"}, mm{812, "ModemManager"}, brltty{640, "brltty"};
    using P = PortProblem;
    const std::vector<Case> cases = {
        Case{"a CDC adapter with its driver", Machine("ttyACM0", "cdc_acm"), P::None, "", {}},
        Case{"a dialout device, the user outside it",
             Machine("ttyUSB0", "ch341").Fails(EACCES),
             P::Permission,
             "group dialout",
             {"add the user to group dialout: sudo usermod -aG dialout $USER, then log in again"}},
        Case{"a user added to dialout, not logged in again",
             Machine("ttyUSB0", "pl2303").Fails(EACCES).Listed(),
             P::Permission,
             "after this session began",
             {"log in again, so that the session gets group dialout"}},
        Case{"held by another process",
             Machine("ttyUSB0", "ftdi_sio").Fails(EBUSY).HeldBy(minicom).Running({9, "bash"}),
             P::Held,
             "held by process 1234 (minicom)",
             {"process 1234 (minicom) holds "}},
        Case{"held by a process out of sight",
             Machine("ttyUSB0", "ftdi_sio").Fails(EBUSY),
             P::Held,
             "cannot see",
             {"run this command as root"}},
        Case{"opens while another reader has it open",
             Machine("ttyUSB0", "ftdi_sio").HeldBy({77, "cat"}),
             P::None,
             "has it open too",
             {"process 77 (cat) holds "}},
        Case{"ModemManager beside an adapter",
             Machine("ttyACM0", "cdc_acm").Running(mm),
             P::None,
             "",
             {"stop ModemManager or mark the adapter ignored"},
             {mm}},
        Case{"ModemManager and an on-board port",
             Machine("ttyS0", "serial8250").Running(mm),
             P::None,
             "",
             {}},
        Case{"brltty running, the adapter gone",
             Machine("ttyUSB0", "").Gone().Running(mm).Running(brltty),
             P::Gone,
             "does not exist",
             {"plug the adapter in", "brltty takes USB serial adapters", "stop ModemManager"},
             {brltty, mm}},
        Case{"an on-board slot without hardware",
             Machine("ttyS1", "serial8250").Fails(EIO),
             P::NoHardware,
             "no hardware",
             {"check the adapter and its cable"}},
        Case{"not a terminal",
             Machine("ttyUSB0", "").Fails(ENOTTY),
             P::NotSerial,
             "not a serial port",
             {"correct COM1 in [Ports] of Dravik.INI"}},
        Case{"a COM name without a device",
             Machine("", ""),
             P::NoDevice,
             "no device",
             {"for example COM1=/dev/ttyUSB0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        InjectedOpens opens;
        const Machine& m = c.machine;
        machine.Session(false, m.listed);
        std::string device = m.tty.empty() ? "" : machine.Device(m.tty, m.driver, m.node);
        if (m.error != 0) {
            opens.errors[device] = m.error;
        }
        for (const ProcessInfo& p : m.holders) {
            machine.Process(p.pid, p.name, {device});
        }
        for (const ProcessInfo& p : m.others) {
            machine.Process(p.pid, p.name, {machine.dir.Write("other", "").string()});
        }

        const PortDiagnosis d = DiagnosePorts({{"COM1", device}}, machine.Roots()).at(0);
        EXPECT_EQ(d.opens, c.problem == PortProblem::None);
        EXPECT_EQ(d.problem, c.problem);
        EXPECT_EQ(d.driver, m.driver);
        EXPECT_EQ(d.kernelName, m.tty);
        EXPECT_TRUE(d.reason.find(c.reasonPart) != std::string::npos &&
                    d.reason.empty() == c.reasonPart.empty())
            << d.reason;
        std::vector<std::string> hints = PortHints(d);
        ASSERT_EQ(hints.size(), c.hintParts.size());
        for (size_t i = 0; i < hints.size(); ++i) {
            EXPECT_NE(hints[i].find(c.hintParts[i]), std::string::npos) << hints[i];
        }
        EXPECT_EQ(d.holders, m.holders);
        EXPECT_EQ(d.grabbers, c.grabbers);
        EXPECT_EQ(PortUsable(d), d.opens && m.holders.empty());
        EXPECT_TRUE(opens.open.empty()) << "the open test left the device open";
    }
}

TEST(PortDiagnosis, ByIdNameResolvedBothWaysAndGroupOfTheNode) {
    FakeMachine machine;
    InjectedOpens opens;
    std::string device = machine.Device("ttyUSB3", "cp210x");
    std::string link = machine.Link("usb-Silicon_Labs_CP2102_0001-if00-port0", "ttyUSB3");
    machine.Session(true, true);
    std::vector<PortDiagnosis> found =
        DiagnosePorts({{"COM2", device}, {"COM3", link}}, machine.Roots());
    ASSERT_EQ(found.size(), 2u);
    for (const PortDiagnosis& d : found) {
        EXPECT_EQ(d.kernelName, "ttyUSB3");
        EXPECT_EQ(d.byId, link);
        EXPECT_EQ(d.group, "dialout");
        EXPECT_TRUE(d.userInGroup);
        EXPECT_FALSE(d.userListedInGroup); // the session already has it
    }
}

TEST(PortDiagnosis, ReportBlocksAreAligned) {
    PortDiagnosis usable, held;
    usable.port = "COM1", usable.device = "/dev/ttyS0", usable.opens = true;
    held.port = "COM2", held.device = "/dev/ttyACM0", held.driver = "cdc_acm";
    held.byId = "/dev/serial/by-id/usb-Arduino-if00", held.group = "dialout";
    held.problem = PortProblem::Held, held.reason = "held by process 1234 (minicom)";
    held.holders = {{1234, "minicom"}}, held.grabbers = {{812, "ModemManager"}};
    EXPECT_EQ(FormatPortDiagnoses({usable, held}),
              "COM1  /dev/ttyS0\n"
              "  by-id     -\n"
              "  driver    -\n"
              "  opens     yes\n"
              "  group     -\n"
              "\n"
              "COM2  /dev/ttyACM0\n"
              "  by-id     /dev/serial/by-id/usb-Arduino-if00\n"
              "  driver    cdc_acm\n"
              "  opens     no\n"
              "  group     dialout (user not in it)\n"
              "  held by   1234 minicom\n"
              "  grabbers  812 ModemManager\n"
              "  reason    held by process 1234 (minicom)\n"
              "  hint      process 1234 (minicom) holds /dev/ttyACM0\n"
              "  hint      stop ModemManager or mark the adapter ignored: sudo systemctl stop "
              "ModemManager, or a udev rule with ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n");
}

// The real open on a pseudo-terminal: it opens, an exclusive lock taken through
// another open file description makes it held by this very process, and once
// that lock is gone it opens again.
TEST(PortDiagnosis, PseudoTerminalOpensThenIsHeldThenOpensAgain) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    FakeMachine machine;
    PortDiagnosisRoots roots = machine.Roots();
    roots.dev = "/dev";
    roots.proc = "/proc";
    PortMap ports = {{"COM1", pty.SlavePath()}};

    PortDiagnosis first = DiagnosePorts(ports, roots).at(0);
    EXPECT_TRUE(first.opens);
    EXPECT_EQ(first.driver, "pty");
    EXPECT_EQ(first.kernelName, "pts/" + fs::path(pty.SlavePath()).filename().string());
    EXPECT_TRUE(first.holders.empty());
    EXPECT_TRUE(PortUsable(first));

    int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    PortDiagnosis held = DiagnosePorts(ports, roots).at(0);
    EXPECT_FALSE(held.opens);
    EXPECT_EQ(held.problem, PortProblem::Held);
    ASSERT_EQ(held.holders.size(), 1u);
    EXPECT_EQ(held.holders[0].pid, ::getpid());
    EXPECT_NE(held.reason.find("held by process " + std::to_string(::getpid())), std::string::npos)
        << held.reason;
    ::close(other);

    PortDiagnosis again = DiagnosePorts(ports, roots).at(0);
    EXPECT_TRUE(again.opens);
    EXPECT_TRUE(again.holders.empty());
}

} // namespace
