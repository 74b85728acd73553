// SerialLine with the real serial module on pseudo-terminal pairs: the test
// plays the controller on the master side.
#include "platform/SerialDevices.h"
#include "settings/Settings.h"
#include "support/FakeTransferHost.h"
#include "support/IsoBytes.h"
#include "support/PseudoTerminal.h"
#include "support/RecordingSerialSystem.h"
#include "support/TempDir.h"
#include "transfer/SerialLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

namespace {

class SerialLinePtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        settings.Ports = {{"COM9", pty.SlavePath()}};
        settings.Port1 = "COM9";
        settings.Port2 = "COM9";
        settings.Speed1 = "4800,8,N,2";
        settings.Speed2 = "4800,8,N,2";
        settings.Signal1 = "N";
    }

    void OpenSending(int mode = 1) {
        ASSERT_TRUE(line.OpenLine(mode)) << (host.boxes.empty() ? "" : host.boxes[0].detail);
        line.GrantSending();
        line.SetReceiveCode(kIsoCode);
    }

    termios SlaveTermios() {
        termios t{};
        int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(tcgetattr(fd, &t), 0);
        ::close(fd);
        return t;
    }

    PseudoTerminal pty;
    RecordingSerialSystem sys;
    TSettings settings;
    FakeTransferHost host;
    SerialLine line{host, settings};
};

TEST_F(SerialLinePtyTest, BytesBothWaysAt8N2InRawMode) {
    OpenSending();
    termios t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(t.c_cflag & CSIZE, CS8);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | INPCK));
    EXPECT_FALSE(t.c_oflag & OPOST);

    for (char c : std::string("%\nO1\r")) {
        line.WriteByte(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(pty.Receive(5), "\xA5\x0A\xCF\xB1\x8D");

    sys.realWaitCapMs = 2000; // the bytes are on their way: wait for them, not for a timeout
    ASSERT_TRUE(pty.Send(std::string("\xCF\x11\x8D\x0A\x93\x00\xB1", 7)));
    std::string got;
    for (int i = 0; i < 7; ++i) {
        got.push_back(static_cast<char>(line.ReadByte()));
    }
    // DC1 and DC3 reach the program in mode 1; CR stays CR, bit 7 is not stripped.
    EXPECT_EQ(got, std::string("O\x11\x0D\x0A\x13\x00"
                               "1",
                               7));
    EXPECT_FALSE(line.SendingAllowed());
}

// The tape-reader start line (mode 2) leaves XON/XOFF to the driver both ways;
// the receive line (mode 4) lets the driver send its XOFF but never stop its
// output on a received byte, so that no received byte is swallowed: 0x13 is the
// EIA digit 3 whichever stop character DC3(0X93) chooses.
TEST_F(SerialLinePtyTest, DriverStopCharacterInModesTwoAndFour) {
    settings.Speed1 = settings.Speed2 = "9600,7,E,2"; // characters go out unchanged
    struct Case {
        int mode;
        const char* dc3;
        unsigned char stopChar;
        bool driverTakesStop;
    } cases[] = {
        {2, "Y", 0x93, true},
        {2, "N", 0x13, true},
        {4, "Y", 0x93, false},
        {4, "N", 0x13, false},
    };
    const std::string tape("\x13"
                           "A\x11"
                           "B\x93"
                           "C");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + c.dc3);
        settings.DC30X93 = c.dc3;
        OpenSending(c.mode);
        line.SetReceiveCode(kAsciiCode);
        termios t = SlaveTermios();
        EXPECT_EQ((t.c_iflag & IXON) != 0, c.driverTakesStop);
        EXPECT_TRUE(t.c_iflag & IXOFF);
        EXPECT_EQ(t.c_cc[VSTOP], c.stopChar);

        sys.realWaitCapMs = 2000;
        ASSERT_TRUE(pty.Send(tape));
        std::string got;
        for (unsigned char b; (b = line.ReadByte()) != 'C';) {
            ASSERT_NE(b, 0) << "the tape ran out: " << got;
            got.push_back(static_cast<char>(b));
        }
        std::string expected;
        for (unsigned char b : tape.substr(0, tape.size() - 1)) {
            if (!(c.driverTakesStop && (b == c.stopChar || b == 0x11))) {
                expected.push_back(static_cast<char>(b == 0x93 ? 0x13 : b));
            }
        }
        EXPECT_EQ(got, expected);

        if (c.driverTakesStop && c.stopChar == 0x93) {
            // The tape's last stop character holds the line's output until an XON.
            sys.realWaitCapMs = 0;
            sys.polls.clear();
            line.WriteByte('x'); // refused by the stopped line: the write timeout runs out
            EXPECT_EQ(sys.TimeoutsFor(POLLOUT), std::vector<int>{1000});
            sys.realWaitCapMs = 2000;
            ASSERT_TRUE(pty.Send("\x11"));
        }
        line.WriteByte('y');
        EXPECT_EQ(pty.Receive(1), "y");
        line.CloseLine();
    }
}

TEST_F(SerialLinePtyTest, ReadTimeoutsHandedToPoll) {
    struct Case {
        int mode;
        int timeout;
    } cases[] = {{1, 10}, {2, 1000}, {3, 10}, {4, 1000}};
    for (auto c : cases) {
        OpenSending(c.mode);
        sys.polls.clear();
        EXPECT_EQ(line.ReadByte(), 0);
        EXPECT_EQ(sys.TimeoutsFor(POLLIN), std::vector<int>{c.timeout}) << c.mode;
        line.CloseLine();
    }
    // The mode-1 poll with permission takes what has arrived; without, it waits 10 ms a read.
    OpenSending(1);
    line.PollOnNextWrite();
    sys.polls.clear();
    line.WriteByte('A');
    EXPECT_EQ(sys.TimeoutsFor(POLLIN), std::vector<int>{0});
    sys.realWaitCapMs = 2000;
    ASSERT_TRUE(pty.Send("\x93")); // the far end's DC3
    for (int i = 0; i < 200 && line.SendingAllowed(); ++i) {
        line.ReadByte();
    }
    ASSERT_FALSE(line.SendingAllowed());
    sys.realWaitCapMs = 0;
    line.PollOnNextWrite();
    host.events = 0;
    host.onEvents = [](FakeTransferHost& h) {
        if (h.events == 3) {
            h.pressed = true;
        }
    };
    sys.polls.clear();
    line.WriteByte('B');
    EXPECT_EQ(sys.TimeoutsFor(POLLIN), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(pty.Receive(1), "A");
}

// A reception asks the system for what has arrived, not for each byte: reading
// 3000 bytes with the modem lines looked at after every one takes a handful
// of calls (each burst of the far end one poll and one read).
TEST_F(SerialLinePtyTest, ReceivingTakesFewSystemCalls) {
    settings.Speed2 = "19200,8,N,1";
    OpenSending(4);
    std::string tape;
    for (int i = 0; tape.size() < 3000; ++i) {
        tape += "N" + std::to_string(i) + "G1X1.\n";
    }
    tape.resize(3000);
    sys.realWaitCapMs = 2000;
    ASSERT_TRUE(pty.Send(Iso(tape)));
    sys.polls.clear();
    sys.readCalls = sys.ioctlCalls = 0;
    std::string got;
    while (got.size() < tape.size()) {
        unsigned char c = line.ReadByte();
        ASSERT_NE(c, 0) << "after " << got.size() << " bytes";
        got.push_back(static_cast<char>(c));
        line.UpdateLamps();
    }
    EXPECT_EQ(got, tape);
    const size_t calls = sys.polls.size() + size_t(sys.readCalls) + size_t(sys.ioctlCalls);
    EXPECT_LE(calls, 40u) << sys.polls.size() << " polls, " << sys.readCalls << " reads, "
                          << sys.ioctlCalls << " ioctls";
}

// The send asks for the modem lines before every byte; a line that has none (a
// pseudo-terminal, like an adapter without the lines) is asked once, not per byte.
TEST_F(SerialLinePtyTest, SendingAsksALineWithoutModemLinesOnce) {
    settings.Speed1 = "19200,8,N,1";
    OpenSending();
    sys.ioctlCalls = 0;
    const std::string tape(600, 'X');
    for (char c : tape) {
        line.WriteByte(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(pty.Receive(tape.size()), Iso(tape));
    EXPECT_LE(sys.ioctlCalls, 10) << "ioctls for " << tape.size() << " bytes";
    unsigned bits = 0;
    EXPECT_FALSE(line.Port()->GetCommModemStatus(bits));
    EXPECT_EQ(line.Port()->LastError(), ENOTTY);
}

// A pseudo-terminal's queue count is always 0: the port itself counts what the
// line's rate cannot have sent yet, and WriteByte keeps that within its bound.
TEST_F(SerialLinePtyTest, PortCountsWhatTheLineRateHasNotSentYet) {
    settings.Speed1 = "1200,8,N,2"; // 9.2 ms a character
    OpenSending();
    EXPECT_EQ(line.Port()->BytesInFlight(), 0);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(line.Port()->WriteFile('A'), WriteResult::Written);
    }
    const int inFlight = line.Port()->BytesInFlight();
    EXPECT_GE(inFlight, 1) << "unless this thread stood still for 37 ms";
    EXPECT_LE(inFlight, 5);
    int queued = -1;
    ASSERT_TRUE(line.Port()->ClearCommError(queued));
    EXPECT_EQ(queued, 0);
    EXPECT_EQ(pty.Receive(5), "AAAAA");
    line.Port()->DiscardOutput();
    EXPECT_EQ(line.Port()->BytesInFlight(), 0);

    settings.Speed1 = "4800,8,N,1";
    OpenSending();
    for (int i = 0; i < 20; ++i) {
        line.WriteByte('B');
        EXPECT_LE(line.Port()->BytesInFlight(), kBytesInFlightBound);
    }
    EXPECT_FALSE(host.sleeps.empty()) << "the writes waited for the line";
    EXPECT_EQ(pty.Receive(20), std::string(20, 'B'));
}

// A host on the real clock: the pacing really sleeps, on the line's input.
class RealTimeHost : public FakeTransferHost {
public:
    void Sleep(int ms) override {
        FakeTransferHost::Sleep(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool SleepUntilInput(int fd, std::chrono::microseconds wait) override {
        inputSleepHandles.push_back(fd);
        return TransferHost::SleepUntilInput(fd, wait);
    }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// A program's lines at 19200 on a real line: byte for byte at the far end, in
// about one write for every wake-up of the pacing instead of one for every byte,
// and the pacing sleeps on the line, so that a DC3 would end them.
TEST_F(SerialLinePtyTest, ProgramLinesGoOutInAFewWritesAtTheLinesRate) {
    settings.Speed1 = "19200,8,N,1";
    RealTimeHost realHost;
    SerialLine realLine(realHost, settings);
    ASSERT_TRUE(realLine.OpenLine(1));
    realLine.GrantSending();
    realLine.SetReceiveCode(kIsoCode);
    std::string text;
    sys.writeCalls = 0;
    sys.realWaitCapMs = 1000; // the pacing's sleeps are real here
    for (int n = 1; n <= 60; ++n) {
        const std::string block = "N" + std::to_string(n) + "G1X" + std::to_string(n) + ".5Y-1.\n";
        text += block;
        realLine.WriteText(block, SerialLine::TextEnd::Continues);
    }
    realLine.WriteHeldRun();
    EXPECT_EQ(pty.Receive(text.size()), Iso(text));
    EXPECT_LE(sys.writeCalls, int(text.size() / 5)) << text.size() << " bytes";
    const std::vector<int> sleeps = sys.TimeoutsFor(POLLIN);
    const auto sleepsOnTheLine =
        std::count_if(sleeps.begin(), sleeps.end(), [](int ms) { return ms > 0; });
    EXPECT_GE(sleepsOnTheLine, std::ptrdiff_t(text.size() / 20));
    // One write a wake-up, late or not: no byte or two left over after a run.
    EXPECT_LE(sys.writeCalls, sleepsOnTheLine + 5) << sleepsOnTheLine << " sleeps";
    // The sleep that watched the line is the handshake's poll: no second look
    // at the line for every run.
    EXPECT_LE(sleeps.size(), size_t(sys.writeCalls) * 5 / 4 + 5) << sys.writeCalls << " writes";
}

TEST_F(SerialLinePtyTest, SecondExclusiveOpenIsRefused) {
    OpenSending();
    FakeTransferHost otherHost;
    SerialLine other(otherHost, settings);
    EXPECT_FALSE(other.OpenLine(1));
    ASSERT_EQ(otherHost.boxes.size(), 1u);
    EXPECT_EQ(otherHost.boxes[0].text, "COM9のポートが開きません。!!");
    EXPECT_NE(otherHost.boxes[0].detail.find(pty.SlavePath()), std::string::npos);
    EXPECT_NE(otherHost.boxes[0].detail.find("使用中"), std::string::npos);

    EXPECT_FALSE(ProbePort(9, settings.Ports, {settings.ModemePort1, settings.ModemePort2}));
    line.CloseLine();
    EXPECT_TRUE(ProbePort(9, settings.Ports, {settings.ModemePort1, settings.ModemePort2}));
    settings.ModemePort2 = "com9";
    EXPECT_FALSE(ProbePort(9, settings.Ports, {settings.ModemePort1, settings.ModemePort2}));
    EXPECT_TRUE(other.OpenLine(1)); // the modem exclusion is the probe's only
}

// A run larger than the terminal takes is taken in part and says how much; a
// full terminal takes nothing and says so, and what was taken arrives in order.
TEST_F(SerialLinePtyTest, RunIsTakenInPartWhenTheTerminalFills) {
    OpenSending(3);
    std::string run(256 * 1024, 'X');
    for (size_t i = 0; i < run.size(); i += 97)
        run[i] = char('A' + i % 26);
    const auto* data = reinterpret_cast<const unsigned char*>(run.data());
    size_t taken = 0;
    size_t written = 0;
    ASSERT_EQ(line.Port()->WriteBytes(data, run.size(), written), WriteResult::Written);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, run.size());
    for (taken = written; taken < run.size();) {
        const WriteResult result =
            line.Port()->WriteBytes(data + taken, run.size() - taken, written);
        if (result != WriteResult::Written) {
            EXPECT_EQ(result, WriteResult::WouldBlock);
            EXPECT_EQ(written, 0u);
            break;
        }
        taken += written;
    }
    ASSERT_LT(taken, run.size());
    EXPECT_EQ(pty.Receive(taken), run.substr(0, taken));
}

TEST_F(SerialLinePtyTest, WriteToAStoppedLineDoesNotBlock) {
    OpenSending(3);
    int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(tcflow(fd, TCOOFF), 0);
    host.onEvents = [](FakeTransferHost& h) {
        if (h.events == 6) {
            h.pressed = true;
        }
    };
    sys.polls.clear();
    line.WriteByte('A');
    EXPECT_TRUE(line.StopRequested());
    // It waited for room 1 ms at a time, with the messages processed in between.
    std::vector<int> waits = sys.TimeoutsFor(POLLOUT);
    EXPECT_FALSE(waits.empty());
    for (int ms : waits) {
        EXPECT_EQ(ms, 1);
    }
    ASSERT_EQ(tcflow(fd, TCOON), 0);
    ::close(fd);
    host.onEvents = nullptr;
    line.ClearStopRequest();
    sys.realWaitCapMs = 2000;
    line.WriteByte('B');
    EXPECT_EQ(pty.Receive(1), "B");
}

TEST_F(SerialLinePtyTest, VanishedDeviceStopsReadsAndWrites) {
    OpenSending();
    pty.CloseMaster();
    line.WriteByte('A');
    EXPECT_TRUE(line.LineLost());
    EXPECT_TRUE(line.StopRequested());
    line.ClearStopRequest();
    EXPECT_EQ(line.ReadByte(), 0);
    EXPECT_TRUE(line.StopRequested());
}

TEST_F(SerialLinePtyTest, InterruptedCallsAreRepeated) {
    OpenSending();
    sys.interruptWrites = 2;
    sys.interruptPolls = 1;
    sys.interruptIoctls = 3;
    sys.writeCalls = 0;
    line.WriteByte('A');
    EXPECT_EQ(sys.writeCalls, 3);
    EXPECT_FALSE(line.StopRequested());
    EXPECT_EQ(pty.Receive(1), "A");
    sys.realWaitCapMs = 2000;
    ASSERT_TRUE(pty.Send("\xB1"));
    EXPECT_EQ(line.ReadByte(), '1');
}

TEST_F(SerialLinePtyTest, FourteenThousandFourHundredBaud) {
    settings.Speed1 = "14400,8,N,1";
    OpenSending();
    Dcb dcb;
    ASSERT_TRUE(line.Port()->GetCommState(dcb));
    EXPECT_EQ(dcb.BaudRate, 14400);
    EXPECT_EQ(dcb.stopBits, StopBits::One);
    settings.Speed1 = "19200,8,N,2";
    OpenSending();
    ASSERT_TRUE(line.Port()->GetCommState(dcb));
    EXPECT_EQ(dcb.BaudRate, 19200);
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(SlaveTermios())), B19200);
}

TEST_F(SerialLinePtyTest, NotATerminalOrNotMapped) {
    TempDir dir;
    std::string file = dir.Write("plain.txt", "x").string();
    std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& device : {file, fifo}) {
        host.boxes.clear();
        settings.Ports = {{"COM9", device}};
        EXPECT_FALSE(line.OpenLine(1));
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "COM9のポートが開きません。!!");
        EXPECT_NE(host.boxes[0].detail.find("シリアルポートではありません"), std::string::npos)
            << host.boxes[0].detail;
        EXPECT_FALSE(line.IsOpen());
    }
    host.boxes.clear();
    settings.Port1 = std::string(300, 'Z');
    EXPECT_FALSE(line.OpenLine(1));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, settings.Port1 + "のポートが開きません。!!");
    EXPECT_NE(host.boxes[0].detail.find("[Ports]"), std::string::npos);
}

} // namespace
