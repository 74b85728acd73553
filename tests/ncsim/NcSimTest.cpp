// The simulator against a plain far end written in the test: the test opens the
// pseudo-terminal as the program would and plays the PC side byte by byte.
#include "NcSim.h"

#include "transfer/TapeCode.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using ncsim::EndReason;
using ncsim::TapeKind;

// The PC end of the pseudo-terminal.
class PcEnd {
public:
    explicit PcEnd(const std::string& device) {
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(fd_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd_, TCSANOW, &raw);
        ::tcflush(fd_, TCIOFLUSH); // as every port opening does
    }
    ~PcEnd() { Close(); }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool Ok() const { return fd_ >= 0; }
    void Send(std::string_view bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Waits (as long as it takes) for one byte.
    int ReadByte() {
        unsigned char b;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1 || ::read(fd_, &b, 1) != 1)
            return -1;
        return b;
    }
    // Reads until the line is quiet after something arrived, or `until` byte.
    std::string ReadUntil(int until) {
        std::string out;
        for (int b; (b = ReadByte()) >= 0;) {
            out.push_back(char(b));
            if (b == until)
                break;
        }
        return out;
    }

private:
    int fd_ = -1;
};

std::string IsoEncode(std::string_view text) {
    std::string out;
    for (unsigned char c : text)
        out.push_back(char(*EncodeByte(c, SendCode::Iso)));
    return out;
}

struct Sim {
    Sim() {
        std::string error;
        auto opened = ncsim::SimLine::OpenPty(&error);
        EXPECT_TRUE(opened) << error;
        line.emplace(std::move(*opened));
    }
    std::optional<ncsim::SimLine> line;
    std::atomic<bool> stop{false};
};

TEST(NcSimReceive, DecodesIsoChecksParityAndEndsOnPercentAfterTheFirstLine) {
    Sim sim;
    ncsim::ReceiveOptions options;
    options.start = '\x11';
    ncsim::ReceiveReport report;
    std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
    PcEnd pc(sim.line->DeviceName());
    ASSERT_TRUE(pc.Ok());
    EXPECT_EQ(pc.ReadByte(), 0x11) << "DC1 starts the transfer once the PC opened the line";
    std::string bytes = IsoEncode("    %\nO1234\nG0X1.\n");
    bytes.push_back('\x4F'); // "O" without its parity bit: a parity error at this position
    bytes += IsoEncode("\nM30\n%");
    pc.Send(bytes);
    far.join();
    EXPECT_EQ(report.end, EndReason::Percent);
    EXPECT_EQ(report.program, "%\nO1234\nG0X1.\nO\nM30\n%");
    ASSERT_EQ(report.parityErrors.size(), 1u);
    EXPECT_EQ(report.parityErrors[0].position, 18u);
    EXPECT_EQ(report.parityErrors[0].byte, 0x4F);
    EXPECT_EQ(report.raw, bytes);
}

TEST(NcSimReceive, EiaWithOddParityAndDc4End) {
    Sim sim;
    ncsim::ReceiveOptions options;
    options.code = TapeKind::Eia;
    ncsim::ReceiveReport report;
    std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
    PcEnd pc(sim.line->DeviceName());
    std::string bytes;
    for (unsigned char c : std::string_view("\n:12 3\n")) // 3 is 0x13
        bytes.push_back(char(*EncodeByte(c, SendCode::Eia)));
    bytes += '\x03'; // two holes: even, wrong for EIA
    bytes += '\x14';
    pc.Send(bytes);
    far.join();
    EXPECT_EQ(report.end, EndReason::Dc4);
    EXPECT_EQ(report.program, "\nO12 3\n");
    ASSERT_EQ(report.parityErrors.size(), 1u);
    EXPECT_EQ(report.parityErrors[0].position, 7u);
}

TEST(NcSimReceive, BufferAboveHighMarkSendsDc3AndCountsWhatStillArrives) {
    Sim sim;
    ncsim::ReceiveOptions options;
    options.baud = 10; // one byte a second: the buffer stays full during the test
    options.highMark = 4;
    options.lowMark = 2;
    ncsim::ReceiveReport report;
    std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
    PcEnd pc(sim.line->DeviceName());
    pc.Send(IsoEncode("%\nG1X1"));
    EXPECT_EQ(pc.ReadByte(), 0x93) << "DC3 with its parity bit, after the fifth byte";
    pc.Send(IsoEncode("Y2\n%")); // written before the PC noticed the DC3
    far.join();
    EXPECT_EQ(report.end, EndReason::Percent);
    ASSERT_EQ(report.bytesAfterDc3.size(), 1u);
    // "Y", "2", "\n", "%"; the "1" came in the same read as the byte that filled it.
    EXPECT_EQ(report.bytesAfterDc3[0], 4u);
}

TEST(NcSimReceive, FaultsOnRequest) {
    {
        Sim sim;
        ncsim::ReceiveOptions options;
        options.fault = ncsim::Fault::DropLine;
        options.faultAfter = 3;
        ncsim::ReceiveReport report;
        std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
        PcEnd pc(sim.line->DeviceName());
        pc.Send(IsoEncode("%\nO1\n"));
        EXPECT_EQ(pc.ReadByte(), -1) << "the PC's line is gone";
        far.join();
        EXPECT_EQ(report.end, EndReason::Dropped);
        EXPECT_TRUE(sim.line->Dropped());
    }
    {
        Sim sim;
        ncsim::ReceiveOptions options;
        options.fault = ncsim::Fault::Dc3Forever;
        options.faultAfter = 2;
        ncsim::ReceiveReport report;
        std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
        PcEnd pc(sim.line->DeviceName());
        pc.Send(IsoEncode("%\n"));
        EXPECT_EQ(pc.ReadByte(), 0x93);
        pc.Send(IsoEncode("O1\n%")); // ends the reception; no DC1 ever came
        far.join();
        EXPECT_EQ(report.end, EndReason::Percent);
        EXPECT_EQ(report.bytesAfterDc3, std::vector<size_t>{4});
    }
    {
        Sim sim;
        ncsim::ReceiveOptions options;
        options.fault = ncsim::Fault::Noise;
        options.faultAfter = 1;
        ncsim::ReceiveReport report;
        std::thread far([&] { report = ncsim::Receive(*sim.line, options, &sim.stop); });
        PcEnd pc(sim.line->DeviceName());
        pc.Send(IsoEncode("%"));
        EXPECT_EQ(pc.ReadByte(), 0x55);
        sim.stop = true;
        far.join();
        EXPECT_EQ(report.end, EndReason::Stopped);
    }
}

TEST(NcSimPunch, TapeBytesHaveLeaderFramingAndDc4) {
    size_t missing = 0;
    std::string tape = ncsim::PunchBytes("%\r\nO1234\r\nG0X1.\n%\n", TapeKind::Iso, 2, &missing);
    EXPECT_EQ(tape, std::string(2, '\0') + IsoEncode("%\nO1234\nG0X1.\n%") + "\x14" +
                        std::string(2, '\0'));
    EXPECT_EQ(missing, 0u);
    std::string eia = ncsim::PunchBytes("o1;\n", TapeKind::Eia, 0, &missing);
    EXPECT_EQ(missing, 2u) << "lower case and ';' have no EIA code";
    EXPECT_EQ(eia, std::string("\x0B\x80\x01\x80\x0B\x14", 6));
}

TEST(NcSimPunch, WaitsForTheOpeningAndObeysDc3AndDc1) {
    Sim sim;
    ncsim::PunchOptions options;
    options.waitForOpen = true;
    ncsim::PunchReport report;
    std::string text = "O1\nG1X1.\n";
    std::thread far([&] { report = ncsim::Punch(*sim.line, text, options, &sim.stop); });
    PcEnd pc(sim.line->DeviceName());
    pc.Send("\x93"); // held before the first byte
    std::string expected = ncsim::PunchBytes(text, TapeKind::Iso, 0, nullptr);
    pc.Send("\x11");
    EXPECT_EQ(pc.ReadUntil(0x14), expected);
    far.join();
    EXPECT_EQ(report.end, EndReason::Dc4);
    EXPECT_EQ(report.bytesSent, expected.size());
}

TEST(NcSimPunch, DropsTheLineMidTransfer) {
    Sim sim;
    ncsim::PunchOptions options;
    options.fault = ncsim::Fault::DropLine;
    options.faultAfter = 4;
    PcEnd pc(sim.line->DeviceName());
    auto report = ncsim::Punch(*sim.line, "O1\nG1\n", options, &sim.stop);
    EXPECT_EQ(report.end, EndReason::Dropped);
    EXPECT_EQ(report.bytesSent, 4u);
    // The hang-up discards what was still queued; the PC's reads end, none hangs.
    EXPECT_LE(pc.ReadUntil(-2).size(), 4u);
}

} // namespace
