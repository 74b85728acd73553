// ncsim on a device as on real hardware: the line parameters reach the driver
// (recorded at the system-call seam, since a pseudo-terminal forces 8 data bits
// and no parity), and a punch into a far end that stopped reading ends.
#include "NcSim.h"

#include "platform/SerialSystem.h"

#include <gtest/gtest.h>

// termios2 for any rate comes from the kernel's headers, not glibc's <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The real calls, recording the last line parameters set.
class RecordingTermios : public SerialSystem {
public:
    RecordingTermios() { SetSerialSystemForTest(this); }
    ~RecordingTermios() override { SetSerialSystemForTest(nullptr); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        if (request == TCSETS2) {
            std::memcpy(&set, argument, sizeof set);
            ++sets;
        }
        return SerialSystem::Ioctl(fd, request, argument);
    }
    termios2 set{};
    int sets = 0;
};

struct Pty {
    int master = -1, slave = -1;
    std::string path;
    Pty() {
        char name[128] = {};
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 &&
            ::ptsname_r(master, name, sizeof name) == 0) {
            path = name;
            slave = ::open(name, O_RDWR | O_NOCTTY);
        }
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
};

TEST(NcSimDevice, LineParametersAreSetForReal) {
    struct Case {
        const char* speed;
        unsigned baud;
        unsigned size;
        bool parity, odd, twoStops;
    } cases[] = {
        {"14400,7,E,2", 14400, CS7, true, false, true},
        {"9600,8,N,1", 9600, CS8, false, false, false},
        {"1200,7,O,1", 1200, CS7, true, true, false},
        {"19200,8,E,2", 19200, CS8, false, false, true}, // 8 data bits carry no parity
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        Pty pty;
        ASSERT_FALSE(pty.path.empty());
        RecordingTermios sys;
        SpeedParse format = ParseSpeedString(c.speed);
        ASSERT_EQ(format.error, SpeedError::None);
        std::string error;
        auto line = ncsim::SimLine::OpenDevice(pty.path, format.format, &error);
        ASSERT_TRUE(line) << error;
        ASSERT_EQ(sys.sets, 1);
        EXPECT_EQ(sys.set.c_ospeed, c.baud);
        EXPECT_EQ(sys.set.c_ispeed, c.baud);
        EXPECT_EQ(sys.set.c_cflag & CSIZE, c.size);
        EXPECT_EQ((sys.set.c_cflag & PARENB) != 0, c.parity);
        EXPECT_EQ((sys.set.c_cflag & PARODD) != 0, c.odd);
        EXPECT_EQ((sys.set.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_FALSE(sys.set.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
        EXPECT_FALSE(sys.set.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_TRUE(sys.set.c_cflag & CLOCAL);
    }
    std::string error;
    EXPECT_FALSE(ncsim::SimLine::OpenDevice("/nonexistent/ttyS9", {9600, 8}, &error));
    EXPECT_NE(error.find("/nonexistent/ttyS9"), std::string::npos);
}

// The program's end never reads: the tty fills, and the punch ends by its write
// timeout or by the stop signal instead of waiting for ever.
TEST(NcSimDevice, PunchIntoAFarEndThatStoppedReadingEnds) {
    std::string text = "O1\n";
    while (text.size() < (1u << 20))
        text += "N1G1X1.Y1.\n";
    struct Case {
        bool stopFirst;
        int timeoutMs;
        ncsim::EndReason end;
    } cases[] = {
        {false, 100, ncsim::EndReason::Stalled},
        {true, -1, ncsim::EndReason::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeoutMs);
        std::string error;
        auto sim = ncsim::SimLine::OpenPty(&error);
        ASSERT_TRUE(sim) << error;
        int pc = ::open(sim->DeviceName().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(pc, 0);
        std::atomic<bool> stop{false};
        ncsim::PunchOptions options;
        options.writeTimeoutMs = c.timeoutMs;
        ncsim::PunchReport report;
        if (c.stopFirst) {
            // Fill the line first, then the stop signal comes while a write waits.
            while (sim->Write(std::string(4096, 'x'), 50))
                ;
            stop = true;
            EXPECT_FALSE(sim->Write("y", -1, &stop));
            EXPECT_FALSE(sim->WriteTimedOut());
        }
        report = ncsim::Punch(*sim, text, options, &stop);
        EXPECT_EQ(report.end, c.end);
        EXPECT_LT(report.bytesSent, text.size());
        ::close(pc);
    }
}

} // namespace
