// SerialLine on a fake port: the modem lines, the output queue count and
// 7 data bits, which a pseudo-terminal cannot show.
#include "transfer/SerialLine.h"
#include "platform/LineRate.h"
#include "settings/Settings.h"
#include "support/FakeSerialPort.h"
#include "support/FakeTransferHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using Bytes = std::vector<unsigned char>;

class SerialLineTest : public ::testing::Test {
protected:
    SerialLineTest() {
        settings.Port1 = "COM3";
        settings.Port2 = "COM4";
        settings.Speed1 = "9600,8,N,2";
        settings.Speed2 = "4800,7,E,1";
        settings.Signal1 = "N";
        line.SetPortOpener([this](const std::string& port) {
            openedPorts.push_back(port);
            PortOpenResult result;
            if (refuseOpen) {
                result.error = EBUSY;
                result.detail = "/dev/ttyUSB0: busy";
            } else {
                result.port = std::make_unique<FakeSerialPort>(port_);
            }
            return result;
        });
    }

    // Opens mode 1 and prepares the state a send job has once the NC gave permission.
    void OpenSending() {
        ASSERT_TRUE(line.OpenLine(1));
        line.GrantSending();
        line.SetReceiveCode(kIsoCode);
    }

    // The far end's DC3 arrives and is read: sending waits for its DC1.
    void FarEndPauses() {
        port.input = {0x93};
        ASSERT_EQ(line.ReadByte(), 0x13);
        ASSERT_FALSE(line.SendingAllowed());
        port.readWaits.clear();
    }

    void Send(std::string_view text) {
        for (char c : text) {
            line.WriteByte(static_cast<unsigned char>(c));
        }
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : host.boxes) {
            texts.push_back(box.text);
        }
        return texts;
    }

    TSettings settings;
    FakeTransferHost host;
    std::shared_ptr<FakePortState> port_ = std::make_shared<FakePortState>();
    FakePortState& port = *port_;
    SerialLine line{host, settings};
    std::vector<std::string> openedPorts;
    bool refuseOpen = false;
};

TEST_F(SerialLineTest, ModeTablesReachTheDriver) {
    struct Case {
        int mode;
        const char* port;
        int baud, bits;
        Parity parity;
        bool driverFlow;
        bool driverStopsOutput; // never on the receive line: it would swallow EIA "3"
        int xonLim, xoffLim, readMs, writeMs;
    } cases[] = {
        {1, "COM3", 9600, 8, Parity::None, false, false, 0, 2, 10, 0},
        {2, "COM3", 9600, 8, Parity::None, true, true, 0, 2, 1000, 1000},
        {3, "COM4", 4800, 7, Parity::Even, false, false, 0, 2, 10, 0},
        {4, "COM4", 4800, 7, Parity::Even, true, false, 1024, 3072, 1000, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        port.dcb.fOutxCtsFlow = true; // modes 2 and 4 keep the port's CTS flow
        port.dcb.fParity = true;
        openedPorts.clear();
        ASSERT_TRUE(line.OpenLine(c.mode));
        EXPECT_EQ(openedPorts, std::vector<std::string>{c.port});
        const Dcb& d = port.dcb;
        EXPECT_EQ(d.BaudRate, c.baud);
        EXPECT_EQ(d.ByteSize, c.bits);
        EXPECT_EQ(d.parity, c.parity);
        EXPECT_EQ(d.stopBits, c.mode <= 2 ? StopBits::Two : StopBits::One);
        EXPECT_FALSE(d.fParity);
        EXPECT_EQ(d.fOutX, c.driverStopsOutput);
        EXPECT_EQ(d.fInX, c.driverFlow);
        EXPECT_EQ(d.fOutxCtsFlow, c.driverFlow);
        EXPECT_TRUE(d.fNull);
        EXPECT_EQ(d.XonChar, 0x11);
        EXPECT_EQ(d.XoffChar, 0x93); // DC3(0X93) defaults to "Y"
        EXPECT_EQ(d.XonLim, c.xonLim);
        EXPECT_EQ(d.XoffLim, c.xoffLim);
        EXPECT_EQ(d.fDtrControl, LineControl::AsPort);
        EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant, c.readMs);
        EXPECT_EQ(port.timeouts.WriteTotalTimeoutConstant, c.writeMs);
        EXPECT_EQ(port.timeouts.ReadIntervalTimeout, 0);
        EXPECT_GE(port.purges, 1);
        EXPECT_EQ(line.Mode(), c.mode);
        line.CloseLine();
        EXPECT_TRUE(port.discarded);
    }
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SerialLineTest, TapeDeviceStopCharacterAndModemControl) {
    settings.Puncher = "Y";
    settings.Speed1 = "19200,7,E,1";
    settings.DC30X93 = "N";
    settings.op1 = "Y";
    ASSERT_TRUE(line.OpenLine(2));
    EXPECT_EQ(port.dcb.BaudRate, 4800);
    EXPECT_EQ(port.dcb.ByteSize, 8);
    EXPECT_EQ(port.dcb.parity, Parity::None);
    EXPECT_EQ(port.dcb.stopBits, StopBits::Two);
    EXPECT_EQ(line.WorkingSpeed(), "4800,8,N,2");
    EXPECT_EQ(port.dcb.XoffChar, 0x13);
    EXPECT_EQ(port.dcb.fDtrControl, LineControl::Enable);
    EXPECT_EQ(port.dcb.fRtsControl, LineControl::Enable);
    // The reader setting belongs to modes 3 and 4 only.
    ASSERT_TRUE(line.OpenLine(4));
    EXPECT_EQ(port.dcb.ByteSize, 7);
    EXPECT_EQ(line.WorkingSpeed(), "4800,7,E,1");
}

TEST_F(SerialLineTest, EveryOpenFailureHasItsMessage) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* message;
        bool handleLeftOpen;
    } cases[] = {
        {"busy", [&] { refuseOpen = true; }, "COM3のポートが開きません。!!", false},
        {"baud", [&] { settings.Speed1 = "600,8,N,2"; }, "通信設定（速度）を確認してください!!",
         true},
        {"letters", [&] { settings.Speed1 = "fast"; }, "通信エラー!!", true},
        {"empty", [&] { settings.Speed1 = ""; }, "通信エラー!!", true},
        {"long", [&] { settings.Speed1 = std::string(300, '9'); }, "通信エラー!!", true},
        {"stop bits", [&] { settings.Speed1 = "9600,8,N,x"; }, "通信エラー!!", true},
        {"state read", [&] { port.failGetState = true; }, "通信エラー!!", true},
        {"parameters", [&] { port.failSetState = true; }, "通信速度の設定エラー!!", true},
        {"data bits", [&] { settings.Speed1 = "9600,2,E,2"; }, "通信速度の設定エラー!!", true},
        {"timeouts read", [&] { port.failGetTimeouts = true; }, "タイムアウト!!", true},
        {"timeouts", [&] { port.failSetTimeouts = true; }, "タイムアウト!!", true},
        {"purge", [&] { port.failPurge = true; }, "回線初期化エラー!!", true},
        {"selection cancelled", [&] { settings.AutoSelect = "Y"; },
         "自動選択番号の入力が間違っています。\n通信を一旦中止します。", true},
        {"selection empty",
         [&] {
             settings.AutoSelect = "Y";
             host.selection = "";
         },
         "自動選択番号の入力が間違っています。\n通信を一旦中止します。", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings = TSettings();
        settings.Port1 = "COM3";
        port = FakePortState();
        refuseOpen = false;
        host.boxes.clear();
        host.selection.reset();
        c.arrange();
        EXPECT_FALSE(line.OpenLine(1));
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, c.message);
        EXPECT_EQ(line.IsOpen(), c.handleLeftOpen);
        EXPECT_FALSE(line.SendingSelection());
    }
}

TEST_F(SerialLineTest, RefusedPortNamesTheDeviceAndReason) {
    refuseOpen = true;
    EXPECT_FALSE(line.OpenLine(3));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].kind, HostBox::Plain);
    EXPECT_EQ(host.boxes[0].text, "COM4のポートが開きません。!!");
    EXPECT_EQ(host.boxes[0].detail, "/dev/ttyUSB0: busy");
}

TEST_F(SerialLineTest, SelectionGoesOutUnconvertedWithItsPauses) {
    settings.AutoSelect = "Y";
    settings.Code = "Y"; // EIA on an 8-bit line: "1" would otherwise be 0x01
    struct Case {
        const char* text;
        Bytes sent;
        std::vector<int> sleeps;
    } cases[] = {
        {"2", {'2'}, {3000}},
        {"1-3", {'1', '3'}, {3000, 3000}},
        {"12-3", {'1', '2'}, {3000, 3000}}, // the field holds three characters
        {"-", {}, {3000, 3000}},
        {"1--", {'1'}, {3000, 3000, 3000}},
        {"5x4", {'5', '4'}, {3000}}, // what slipped past the field's filter is dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        port.written.clear();
        host.sleeps.clear();
        host.selection = c.text;
        ASSERT_TRUE(line.OpenLine(1));
        EXPECT_EQ(port.written, c.sent);
        EXPECT_EQ(host.sleeps, c.sleeps);
        EXPECT_FALSE(line.SendingSelection());
        EXPECT_EQ(port.dcb.fDtrControl, LineControl::Enable);
    }
    // Afterwards the transfer's own characters are converted again.
    port.written.clear();
    line.WriteByte('1');
    EXPECT_EQ(port.written, Bytes{0x01});
}

TEST_F(SerialLineTest, SelectionPausesBetweenCharactersInOrder) {
    settings.AutoSelect = "Y";
    host.selection = "1-3";
    std::vector<size_t> writtenAtPause; // pauses taken before each character's write
    host.onEvents = [&](FakeTransferHost& h) { writtenAtPause.push_back(h.sleeps.size()); };
    ASSERT_TRUE(line.OpenLine(1));
    EXPECT_EQ(host.now, 6000);
    // "1" is written before the first pause, "3" between the two.
    EXPECT_EQ(writtenAtPause, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(port.written, (Bytes{'1', '3'}));
}

TEST_F(SerialLineTest, StopKeyDuringSelectionStopsTheTransfer) {
    settings.AutoSelect = "Y";
    host.selection = "12";
    host.pressed = true;
    EXPECT_FALSE(line.OpenLine(1));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(host.releases, 1);
    EXPECT_TRUE(host.boxes.empty()); // the job's stop path reports it
}

TEST_F(SerialLineTest, CarrierOffDuringSelectionDoesNotStopIt) {
    settings.AutoSelect = "Y";
    settings.Signal1 = "Y";
    port.modemBits = kModemDsr;
    host.selection = "3";
    EXPECT_TRUE(line.OpenLine(1));
    EXPECT_EQ(port.written, Bytes{'3'});
}

// The settings count from the open of the line on, so each case opens it anew.
TEST_F(SerialLineTest, BlankCutAndCharactersWithoutCode) {
    settings.Send_SP_Cut = "Y";
    OpenSending();
    Send("G0 X1");
    EXPECT_EQ(port.written, (Bytes{0x47, 0x30, 0xD8, 0xB1}));
    settings.Code = "Y";
    OpenSending();
    port.written.clear();
    Send("x*#\t=;N1");
    EXPECT_EQ(port.written, (Bytes{0x45, 0x01}));
    EXPECT_EQ(line.BytesSincePoll(), 2); // characters without a code are not counted
    settings.Code = "N";
    Send("G"); // a setting changed on an open line waits for the next open
    EXPECT_EQ(port.written.back(), *EncodeByte('G', SendCode::Eia));
}

TEST_F(SerialLineTest, SevenBitLineSendsCharactersUnchanged) {
    settings.Speed1 = "9600,7,E,2";
    settings.Code = "Y";
    OpenSending();
    EXPECT_EQ(port.dcb.ByteSize, 7);
    Send("O1a*\n");
    EXPECT_EQ(port.written, (Bytes{'O', '1', 'a', '*', '\n'}));
}

TEST_F(SerialLineTest, DsrDropWithAndWithoutOp6) {
    OpenSending();
    port.modemBits = kModemCts | kModemRlsd;
    line.WriteByte('G');
    EXPECT_EQ(host.dsrLamp, false);
    EXPECT_EQ(port.written.size(), 1u);
    EXPECT_FALSE(line.StopRequested());

    settings.op6 = "Y";
    OpenSending();
    line.WriteByte('G');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_EQ(port.written.size(), 1u);

    port.modemBits |= kModemDsr;
    line.ClearStopRequest();
    line.WriteByte('G');
    EXPECT_EQ(host.dsrLamp, true);
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(SerialLineTest, UnreadableModemLinesUseTheLastState) {
    OpenSending(); // the open read DSR on
    port.modemReadable = false;
    port.modemBits = 0;
    settings.op6 = "Y";
    line.WriteByte('G');
    EXPECT_FALSE(line.StopRequested());
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(SerialLineTest, CarrierDropStopsOnlyInModeOneWithSignal1) {
    settings.Signal1 = "Y";
    OpenSending();
    port.modemBits = kModemCts | kModemDsr;
    line.WriteByte('G');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_EQ(port.written.size(), 1u); // this byte still goes out

    ASSERT_TRUE(line.OpenLine(4));
    line.ClearStopRequest();
    line.WriteByte(0x11);
    EXPECT_FALSE(line.StopRequested());
}

TEST_F(SerialLineTest, CtsLampFollowsTheLine) {
    OpenSending();
    EXPECT_EQ(host.ctsLamp, true);
    port.modemBits = kModemDsr | kModemRlsd;
    line.WriteByte('G');
    EXPECT_EQ(host.ctsLamp, false);
    EXPECT_EQ(host.dsrLamp, true);
    unsigned bits = 0;
    port.modemBits = kModemCts;
    EXPECT_TRUE(line.UpdateLamps(&bits));
    EXPECT_EQ(bits, kModemCts);
    EXPECT_EQ(host.ctsLamp, true);
    EXPECT_EQ(host.dsrLamp, false);
    port.modemReadable = false;
    EXPECT_FALSE(line.UpdateLamps());
}

TEST_F(SerialLineTest, PollEveryTenBytesTakesWhatArrivedWithoutWaiting) {
    OpenSending();
    Send("0123456789");
    EXPECT_TRUE(port.readWaits.empty());
    port.input = {0x93}; // DC3 with parity: seen at the next poll
    host.onEvents = [&](FakeTransferHost& h) {
        if (h.events == 14) {
            h.pressed = true;
        }
    };
    line.WriteByte('A');
    EXPECT_EQ(port.written.size(), 10u); // held back, waiting for DC1 until the stop key
    ASSERT_EQ(port.readWaits.size(), 4u);
    EXPECT_FALSE(port.readWaits[0]); // with permission: no 10 ms wait
    EXPECT_TRUE(port.readWaits[1]);  // without: 10 ms per read
    EXPECT_TRUE(line.StopRequested());
}

TEST_F(SerialLineTest, XoffWaitsUntilDc1) {
    OpenSending();
    FarEndPauses();
    line.PollOnNextWrite();
    host.onEvents = [&](FakeTransferHost& h) {
        if (h.events == 5) {
            port.input.push_back(0x11);
        }
    };
    line.WriteByte('A');
    EXPECT_EQ(port.written, Bytes{0x41});
    EXPECT_TRUE(line.SendingAllowed());
    EXPECT_EQ(line.BytesSincePoll(), 1);
    // Every read while waiting for DC1 waited its 10 ms on the line.
    EXPECT_EQ(port.readWaits, std::vector<bool>(6, true));
}

TEST_F(SerialLineTest, XoffWaitEndsAtFirstCarrierOrStopKey) {
    // Opened without permission: neither DC1 nor carrier has been seen yet.
    ASSERT_TRUE(line.OpenLine(1));
    line.SetReceiveCode(kIsoCode);
    line.PollOnNextWrite();
    port.modemBits = kModemDsr;
    host.onEvents = [&](FakeTransferHost& h) {
        if (h.events == 3) {
            port.modemBits |= kModemRlsd;
        }
    };
    line.WriteByte('A');
    EXPECT_TRUE(line.SendingAllowed());
    EXPECT_TRUE(line.CarrierLatched());
    EXPECT_EQ(port.written.size(), 1u);

    // Once latched, carrier no longer gives permission: only DC1 or a stop key.
    FarEndPauses();
    line.PollOnNextWrite();
    host.onEvents = [&](FakeTransferHost& h) {
        if (h.events == 20) {
            h.pressed = true;
        }
    };
    line.WriteByte('B');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_EQ(port.written.size(), 1u);
    EXPECT_EQ(host.releases, 1);
}

// The one wait step of the jobs' waits: a held key stops before the read (the
// byte stays for later), a pressed key after it, and a vanished device is reported.
TEST_F(SerialLineTest, WaitStepStopsAroundTheReadAndReportsALostLine) {
    struct Case {
        bool held;
        bool pressed;
        bool gone;
        bool stopped;
        unsigned char byte;
        size_t inputLeft;
        int releases;
        bool lost;
    } cases[] = {
        {false, false, false, false, 'O', 0, 0, false},
        {true, false, false, true, 0, 1, 1, false},
        {false, true, false, true, 'O', 0, 1, false},
        {false, false, true, false, 0, 1, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.held) + std::to_string(c.pressed) + std::to_string(c.gone));
        OpenSending();
        host.releases = 0;
        host.held = c.held;
        host.pressed = c.pressed;
        port.gone = c.gone;
        port.input = {0xCF}; // ISO "O"
        const LineWait step = line.WaitStep();
        EXPECT_EQ(step.stopped, c.stopped);
        EXPECT_EQ(step.byte, c.byte);
        EXPECT_EQ(step.lineLost, c.lost);
        EXPECT_EQ(port.input.size(), c.inputLeft);
        EXPECT_EQ(host.releases, c.releases);
        EXPECT_FALSE(host.held || host.pressed);
        port.gone = false;
    }
}

TEST_F(SerialLineTest, StopKeyHeldOrPressedStopsBeforeTheByte) {
    OpenSending();
    host.held = true;
    line.WriteByte('A');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_EQ(host.events, 0); // held is tested before the messages
    EXPECT_EQ(host.releases, 1);
    line.ClearStopRequest();
    host.pressed = true;
    line.WriteByte('A');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(SerialLineTest, OutputQueueBoundWaitsWithoutSpinning) {
    OpenSending();
    port.outputQueueSequence = {300, 290, 270, 259, 258};
    line.WriteByte('A');
    EXPECT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.queueQueries, 5);
    // Four waits, each with the messages processed and a sleep as long as the
    // bytes over the bound take at 9600,8,N,2 (1.15 ms each), at least 1 ms.
    EXPECT_EQ(host.sleeps, (std::vector<int>{48, 36, 13, 1}));
    EXPECT_GE(host.events, 4);
}

// The queue holds at most its last count plus the bytes written since: it is
// counted again only when that could pass the bound, not before every byte.
TEST_F(SerialLineTest, QueueIsCountedOnlyWhenItCouldPassItsBound) {
    struct Case {
        int queue; // what every count says
        int bytes;
        int counts;
    } cases[] = {
        {0, 1000, 4},                    // a flowing line: every 259 bytes
        {kOutputQueueBound - 8, 90, 10}, // every 9 bytes
        {kOutputQueueBound, 20, 20},     // at the bound: before every byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queue);
        OpenSending();
        port.written.clear();
        port.queueQueries = 0;
        port.outputQueue = c.queue;
        Send(std::string(size_t(c.bytes), 'A'));
        EXPECT_EQ(port.written.size(), size_t(c.bytes));
        EXPECT_EQ(port.queueQueries, c.counts);
    }
    // One over the bound: the byte waits, and the queue is counted at every wake.
    OpenSending();
    port.outputQueue = kOutputQueueBound + 1;
    port.queueQueries = 0;
    port.written.clear();
    host.events = 0;
    host.onEvents = [](FakeTransferHost& h) { h.pressed = h.events > 20; };
    Send("A");
    EXPECT_TRUE(port.written.empty());
    EXPECT_GE(port.queueQueries, 10);
}

// Where the queue count says nothing (a pseudo-terminal, a USB adapter's own
// FIFO), the line's own rate bounds what is on its way: a byte waits while
// kBytesInFlightBound are.
TEST_F(SerialLineTest, BytesInFlightByTheLineRateAreBoundedLikeTheQueue) {
    // At 9600,8,N,2 a character takes 1.15 ms: the wake-up comes when 2 bytes
    // (the reserve of 2 ms) are left on their way.
    struct Case {
        std::deque<int> queued;
        std::deque<int> inFlight;
        std::vector<int> sleeps;
    } cases[] = {
        {{}, {kBytesInFlightBound - 1}, {}},
        {{}, {kBytesInFlightBound, kBytesInFlightBound + 3, kBytesInFlightBound - 1}, {13, 17}},
        {{300, 0}, {0, kBytesInFlightBound, 0}, {48, 13}}, // both bounds hold before the byte goes
        {{}, {200, kBytesInFlightBound - 1}, {kPacingWaitMaxMs}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inFlight.front());
        OpenSending();
        port.written.clear();
        host.sleeps.clear();
        port.outputQueueSequence = c.queued;
        port.inFlightSequence = c.inFlight;
        line.WriteByte('A');
        EXPECT_EQ(port.written.size(), 1u);
        EXPECT_EQ(host.sleeps, c.sleeps);
        EXPECT_TRUE(port.inFlightSequence.empty());
    }
}

// A line kept full by its own rate: the writer sleeps until the line needs bytes
// again, so it wakes for several bytes at a time instead of every millisecond,
// while no more than the bound is ever on its way (what reaches the far end after
// its DC3) and the line never runs dry between two bytes (the send takes the
// line's own time).
TEST_F(SerialLineTest, PacingSleepsUntilTheLineNeedsBytes) {
    const char* speeds[] = {"1200,8,N,1", "2400,7,E,1",  "4800,8,N,1",
                            "9600,7,E,2", "14400,8,O,1", "19200,8,N,1"};
    constexpr size_t kBytes = 2000;
    port.lineClockMs = [this] { return host.now; };
    for (const char* speed : speeds) {
        SCOPED_TRACE(speed);
        settings.Speed1 = speed;
        OpenSending();
        port.written.clear();
        port.idleWrites = 0;
        port.mostInFlight = 0;
        host.sleeps.clear();
        for (size_t i = 0; i < kBytes; ++i) {
            line.WriteByte('A');
        }
        ASSERT_EQ(port.written.size(), kBytes);
        EXPECT_EQ(port.mostInFlight, kBytesInFlightBound);
        EXPECT_EQ(port.idleWrites, 0);
        EXPECT_LE(host.sleeps.size(), kBytes / 5);
        EXPECT_LE(*std::max_element(host.sleeps.begin(), host.sleeps.end()), kPacingWaitMaxMs);
        // Let the line drain before the next speed.
        host.now += 10'000;
    }
}

// A program's lines through WriteText leave as WriteByte one by one would send
// them, byte for byte, but in runs of what the line has room for: a few writes
// where there were as many as bytes, the line never dry, never more on its way
// than the bound. Lines that continue share a run with the next one. The sleep on
// the line lasts until what is on its way has drained to the reserve, to the
// microsecond: cut to whole milliseconds it ends early, with a byte less to send.
// Room for a byte or two after a run (a late wake-up) waits for the next one.
TEST_F(SerialLineTest, TextGoesOutInRunsOfWhatTheLineHasRoomFor) {
    std::vector<std::string> lines;
    for (int n = 1; n <= 120; ++n)
        lines.push_back("N" + std::to_string(n) + "G1X" + std::to_string(n % 70) + ".5 Y-2.\n");
    Bytes expected;
    {
        OpenSending();
        port.written.clear();
        for (const std::string& text : lines)
            Send(text);
        expected = port.written;
    }
    port.lineClockMs = [this] { return host.now; };
    port.pollHandle = 7;
    host.inputDuringSleep = [] { return false; };
    const struct {
        const char* speed;
        SerialLine::TextEnd end;
    } cases[] = {
        {"1200,8,N,1", SerialLine::TextEnd::Continues},
        {"4800,8,N,1", SerialLine::TextEnd::Write},
        {"9600,8,N,2", SerialLine::TextEnd::Continues},
        {"19200,8,N,1", SerialLine::TextEnd::Continues},
        {"14400,8,O,1", SerialLine::TextEnd::Write},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        settings.Speed1 = c.speed;
        OpenSending();
        port.written.clear();
        port.runs.clear();
        port.idleWrites = 0;
        port.mostInFlight = 0;
        host.sleeps.clear();
        host.inputWaits.clear();
        for (const std::string& text : lines)
            line.WriteText(text, c.end);
        line.WriteHeldRun();
        ASSERT_EQ(port.written, expected);
        // Room of a byte or two after a run waits for the next wake-up, so the
        // line may never be quite full; it is never dry and never over the bound.
        EXPECT_GE(port.mostInFlight, kBytesInFlightBound - 2);
        EXPECT_LE(port.mostInFlight, kBytesInFlightBound);
        EXPECT_EQ(port.idleWrites, 0);
        EXPECT_LE(*std::max_element(port.runs.begin(), port.runs.end()),
                  size_t(kBytesInFlightBound));
        // About one write a wake-up (the test clock's whole milliseconds wake
        // some late); a line end may cut a run it does not continue.
        const size_t wakeUps = host.sleeps.size() + 1;
        const size_t allowed = c.end == SerialLine::TextEnd::Continues ? wakeUps + wakeUps / 10
                                                                       : 2 * wakeUps + lines.size();
        EXPECT_LE(port.runs.size(), allowed) << host.sleeps.size() << " sleeps";
        EXPECT_LE(port.runs.size(), expected.size() / 4);
        // A slow line's sleeps are all the longest one: nothing to see there.
        const double characterUs = double(CharacterTime(port.dcb).count()) / 1000;
        size_t belowLongest = 0;
        size_t subMillisecond = 0;
        for (std::chrono::microseconds wait : host.inputWaits) {
            if (wait >= std::chrono::milliseconds(kPacingWaitMaxMs))
                continue;
            ++belowLongest;
            const double characters = double(wait.count()) / characterUs;
            EXPECT_NEAR(characters, std::round(characters), 0.01) << wait.count() << " us";
            subMillisecond += wait.count() % 1000 != 0 ? 1 : 0;
        }
        EXPECT_EQ(subMillisecond > 0, belowLongest > 0);
        host.now += 10'000;
    }
    host.inputDuringSleep = nullptr;
}

// A DC3 read between two runs holds the rest of the text until DC1; what went
// after it is at most one run, all of it within the bound on the line.
TEST_F(SerialLineTest, Dc3BetweenRunsHoldsTheRestOfTheText) {
    settings.Speed1 = "19200,8,N,1";
    port.lineClockMs = [this] { return host.now; };
    OpenSending();
    port.written.clear();
    size_t writtenAtDc3 = 0;
    size_t writtenAtDc1 = 0;
    host.onEvents = [&](FakeTransferHost& h) {
        h.pressed = h.events > 100'000; // a test gone wrong stops instead of hanging
        if (writtenAtDc3 == 0 && port.written.size() >= 300) {
            writtenAtDc3 = port.written.size();
            port.input.push_back(0x93);
        } else if (writtenAtDc3 > 0 && writtenAtDc1 == 0 && !line.SendingAllowed()) {
            writtenAtDc1 = port.written.size();
            port.input.push_back(0x11);
        }
    };
    line.WriteText(std::string(1000, 'A'));
    EXPECT_EQ(port.written.size(), 1000u);
    ASSERT_GT(writtenAtDc1, 0u);
    EXPECT_LE(writtenAtDc1 - writtenAtDc3, size_t(kBytesInFlightBound));
    EXPECT_FALSE(line.StopRequested());
}

// A run kept for the next line goes out before anything else touches the line,
// and a closed line forgets it.
TEST_F(SerialLineTest, HeldRunGoesOutBeforeAnythingElseOnTheLine) {
    const struct {
        const char* what;
        std::function<void(SerialLine&)> next;
        Bytes written;
    } cases[] = {
        {"a read", [](SerialLine& l) { l.ReadByte(); }, {0x47, 0xB1, 0x0A}},
        {"a wait step", [](SerialLine& l) { l.WaitStep(); }, {0x47, 0xB1, 0x0A}},
        {"the lamps", [](SerialLine& l) { l.UpdateLamps(); }, {0x47, 0xB1, 0x0A}},
        {"the next line", [](SerialLine& l) { l.WriteText("M2"); }, {0x47, 0xB1, 0x0A, 0x4D, 0xB2}},
        {"the closing DC4",
         [](SerialLine& l) { l.SendClosingByte(0x14); },
         {0x47, 0xB1, 0x0A, 0x14}},
        {"the end of the text", [](SerialLine& l) { l.WriteHeldRun(); }, {0x47, 0xB1, 0x0A}},
        {"a close", [](SerialLine& l) { l.CloseLine(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenSending();
        port.written.clear();
        line.WriteText("G1\n", SerialLine::TextEnd::Continues);
        EXPECT_TRUE(port.written.empty());
        c.next(line);
        EXPECT_EQ(port.written, c.written);
    }
}

// A pacing sleep on a line with a descriptor wakes when input arrives: a DC3
// holds the waiting run at once, a sleep that brought nothing costs no read, and
// input that is no DC3 wakes the wait only once.
TEST_F(SerialLineTest, PacingSleepWakesOnInputAndReadsOnlyWhenItCame) {
    constexpr int kHandle = 7;
    const struct {
        const char* what;
        int handle;
        std::deque<int> inFlight;
        std::deque<unsigned char> arriving; // put into the input by the first sleep
        std::vector<int> inputSleeps;       // the handles slept on
        size_t reads;                       // reads done after the sleeps
        bool paused;
    } cases[] = {
        {"nothing arrives", kHandle, {kBytesInFlightBound, 0}, {}, {kHandle}, 0, false},
        {"a DC3 arrives", kHandle, {kBytesInFlightBound, 0}, {0x93}, {kHandle}, 1, true},
        {"noise arrives",
         kHandle,
         {kBytesInFlightBound, kBytesInFlightBound, 0},
         {'x'},
         {kHandle},
         2,
         false},
        {"no descriptor", -1, {kBytesInFlightBound, 0}, {}, {}, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        port.pollHandle = c.handle;
        OpenSending();
        port.written.clear();
        port.readWaits.clear();
        host.inputSleepHandles.clear();
        port.inFlightSequence = c.inFlight;
        bool first = true;
        host.inputDuringSleep = [&] {
            if (first)
                port.input.insert(port.input.end(), c.arriving.begin(), c.arriving.end());
            first = false;
            return !port.input.empty();
        };
        bool paused = false;
        host.onEvents = [&](FakeTransferHost& h) {
            h.pressed = h.events > 10'000;
            if (!line.SendingAllowed()) {
                paused = true;
                port.input.push_back(0x11);
            }
        };
        line.WriteByte('A');
        EXPECT_EQ(port.written, Bytes{0x41});
        EXPECT_EQ(host.inputSleepHandles, c.inputSleeps);
        EXPECT_EQ(paused, c.paused);
        if (!c.paused) {
            EXPECT_EQ(port.readWaits.size(), c.reads);
        }
        host.onEvents = nullptr;
        host.inputDuringSleep = nullptr;
    }
}

// A DC3 that arrives while a byte waits for the line holds that byte back: the
// far end gets nothing more until its DC1, not ten bytes more.
TEST_F(SerialLineTest, Dc3DuringThePacingWaitHoldsTheWaitingByte) {
    OpenSending();
    Send("012");
    port.written.clear();
    port.inFlight = kBytesInFlightBound;
    int sleepsAtDc3 = 0;
    host.events = 0;
    host.onEvents = [&](FakeTransferHost& h) {
        h.pressed = h.events > 1000; // a test gone wrong stops instead of hanging
        if (h.events == 3) {
            port.input.push_back(0x93);
            sleepsAtDc3 = int(h.sleeps.size());
        }
        if (!line.SendingAllowed() && h.events == 40) {
            port.inFlight = 0; // the line has drained meanwhile
            port.input.push_back(0x11);
        }
    };
    line.WriteByte('A');
    EXPECT_EQ(port.written, Bytes{0x41});
    EXPECT_TRUE(line.SendingAllowed());
    EXPECT_FALSE(line.StopRequested());
    // Only the waits before the DC3 was read were the pacing's; then the
    // handshake waited for DC1 with its 10 ms reads.
    EXPECT_LE(host.sleeps.size(), size_t(sleepsAtDc3) + 1);
    EXPECT_GE(std::count(port.readWaits.begin(), port.readWaits.end(), true), 30);
    EXPECT_EQ(line.BytesSincePoll(), 1);

    // The receive line's DC4 waits for the line too, but leaves its input alone.
    host.onEvents = nullptr;
    ASSERT_TRUE(line.OpenLine(4));
    port.readWaits.clear();
    port.input = {0xB1};
    port.inFlightSequence = {kBytesInFlightBound, kBytesInFlightBound};
    port.written.clear();
    line.WriteByte(0x14);
    EXPECT_EQ(port.written, Bytes{0x14});
    EXPECT_TRUE(port.readWaits.empty());
    EXPECT_EQ(port.input.size(), 1u);
}

// The stop path's DC4 goes out whatever led to the stop: the stop key still down,
// a DC3 the far end sent meanwhile (read while the byte waits for the line), a line
// that takes nothing for a while. It waits a bounded time, then is tried anyway.
TEST_F(SerialLineTest, TheClosingDc4GoesOutAfterAStopKeyAndADc3) {
    struct Case {
        const char* what;
        bool held;
        std::deque<int> inFlight;
        int queue;
    };
    const Case cases[] = {
        {"stop key held", true, {}, 0},
        {"DC3 read during the pacing wait",
         true,
         {kBytesInFlightBound, kBytesInFlightBound, kBytesInFlightBound},
         0},
        {"a queue that never drains", false, {}, 4000},
    };
    for (const Case& c : cases) {
        OpenSending();
        port.written.clear();
        port.input = {0x93};
        port.inFlightSequence = c.inFlight;
        port.outputQueue = c.queue;
        host.held = c.held;
        const std::int64_t start = host.now;
        line.SendClosingByte(0x14);
        EXPECT_EQ(port.written, Bytes{0x14}) << c.what;
        EXPECT_LE(host.now - start, kClosingByteWaitMs + 10) << c.what;
        port.outputQueue = 0;
    }
}

TEST_F(SerialLineTest, QueueThatNeverDrainsCanBeStopped) {
    OpenSending();
    port.outputQueue = 4000;
    host.onEvents = [&](FakeTransferHost& h) {
        if (h.events == 50) {
            h.pressed = true;
        }
    };
    line.WriteByte('A');
    EXPECT_TRUE(line.StopRequested());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(SerialLineTest, FullTerminalBufferIsWaitedForNotDropped) {
    OpenSending();
    port.writeBlocks = 3;
    line.WriteByte('A');
    EXPECT_EQ(port.written, Bytes{0x41});
    EXPECT_FALSE(line.StopRequested());
}

TEST_F(SerialLineTest, VanishedDeviceStopsTheTransfer) {
    OpenSending();
    port.gone = true;
    line.WriteByte('A');
    EXPECT_TRUE(line.LineLost());
    EXPECT_TRUE(line.StopRequested());
    line.ClearStopRequest();
    EXPECT_EQ(line.ReadByte(), 0);
    EXPECT_TRUE(line.StopRequested());
    EXPECT_EQ(host.sleeps.back(), 10); // a failing read does not spin
}

TEST_F(SerialLineTest, ReadByteHandshakeAndCodes) {
    ASSERT_TRUE(line.OpenLine(4));
    struct Case {
        ReceiveCode state;
        unsigned char in;
        unsigned char out;
        bool xonAfter;
    } cases[] = {
        {kIsoCode, 0x11, 0x11, true},    {kIsoCode, 0x13, 0x13, false},
        {kEiaCode, 0x13, '3', true},     {kEiaCode, 0x93, 0x13, false},
        {kAsciiCode, 0x13, 0x13, false}, {kIsoCode, 0x00, 0x00, true},
        {kEiaCode, 0x12, 0x12, true},    {kEiaCode, 0x14, 0x14, true},
        {kIsoCode, 0xCF, 'O', true},     {kEiaCode, 0x80, '\n', true},
        {kAsciiCode, 0xC1, 0xC1, true},  {kEiaCode, 0x3C, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.in));
        line.SetReceiveCode(c.state);
        line.GrantSending();
        port.input = {c.in};
        EXPECT_EQ(line.ReadByte(), c.out);
        EXPECT_EQ(line.SendingAllowed(), c.xonAfter);
    }
    // A timeout gives 0 and leaves xon alone.
    FarEndPauses();
    EXPECT_EQ(line.ReadByte(), 0);
    EXPECT_FALSE(line.SendingAllowed());
}

TEST_F(SerialLineTest, ReadByteDecidesTheCodeOnTheFirstDataByte) {
    ASSERT_TRUE(line.OpenLine(4));
    line.SetReceiveCode(kUndecidedCode);
    port.input = {0x0B, 0x46}; // EIA "%" then "O"
    EXPECT_EQ(line.ReadByte(), '%');
    EXPECT_EQ(line.CurrentReceiveCode(), kEiaCode);
    EXPECT_EQ(line.ReadByte(), 'O');
    line.SetReceiveCode(kUndecidedCode);
    port.input = {0x0A};
    EXPECT_EQ(line.ReadByte(), '\n');
    EXPECT_EQ(line.CurrentReceiveCode(), kIsoCode);
}

// Bytes read from the device in chunks are handed out exactly as if each had
// been read on its own: same characters, same DC1/DC3 state, same code decision.
TEST_F(SerialLineTest, ChunkedReadsHandOutWhatSingleReadsWould) {
    const Bytes stream = {0x00, 0x0B, 0x80, 0x46, 0x01, 0x13, 0x93, 0x02, 0x11, 0x00,
                          0x20, 0x13, 0x80, 0x12, 0x14, 0x3C, 0x07, 0x93, 0x08, 0x80};
    auto readAll = [&](size_t chunk) {
        std::vector<std::pair<int, bool>> got; // character and xon after it
        EXPECT_TRUE(line.OpenLine(4));
        line.SetReceiveCode(kUndecidedCode);
        line.GrantSending();
        port.readChunk = chunk;
        port.readWaits.clear();
        port.input.assign(stream.begin(), stream.end());
        while (!port.input.empty() || got.size() < stream.size()) {
            unsigned char c = line.ReadByte();
            got.emplace_back(c, line.SendingAllowed());
            if (got.size() > 2 * stream.size()) {
                break;
            }
        }
        EXPECT_EQ(port.readWaits.size(), (stream.size() + chunk - 1) / chunk) << chunk;
        return got;
    };
    const auto reference = readAll(1);
    ASSERT_EQ(reference.size(), stream.size());
    EXPECT_EQ(line.CurrentReceiveCode(), kEiaCode);
    for (size_t chunk : {2u, 3u, 7u, 20u, 4096u}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(readAll(chunk), reference);
        EXPECT_EQ(line.CurrentReceiveCode(), kEiaCode);
    }
    // A closed line forgets what it had read and not handed out.
    port.readChunk = 64;
    port.input = {0xB1, 0xB2};
    line.SetReceiveCode(kIsoCode);
    EXPECT_EQ(line.ReadByte(), '1');
    ASSERT_TRUE(line.OpenLine(4));
    line.SetReceiveCode(kIsoCode);
    EXPECT_EQ(line.ReadByte(), 0);
}

// The receive loop asks for the modem lines after every byte; while bytes keep
// coming the device is asked at most every kModemPollMs, and at once again when
// a read has found the line idle.
TEST_F(SerialLineTest, ModemLinesAreReadEveryFewMillisecondsWhileBytesStream) {
    port.modemBits = kModemCts | kModemDsr;
    ASSERT_TRUE(line.OpenLine(4));
    line.SetReceiveCode(kIsoCode);
    port.readChunk = 64;
    port.input.assign(200, 0xB1);
    port.modemQueries = 0;
    unsigned bits = 0;
    auto receive = [&](int bytes) {
        for (int i = 0; i < bytes; ++i) {
            line.ReadByte();
            EXPECT_TRUE(line.UpdateLamps(&bits));
        }
    };
    struct Step {
        int advanceMs;
        int bytes;
        unsigned lines; // the device's lines during the step
        unsigned seen;  // what the last UpdateLamps of the step reported
        int queries;    // device queries so far
    } steps[] = {
        {0, 100, kModemCts, kModemCts | kModemDsr, 0}, // the opening's read still holds
        {kModemPollMs - 1, 50, kModemCts, kModemCts | kModemDsr, 0},
        {1, 1, kModemCts, kModemCts, 1},
        {0, 49, 0, kModemCts, 1},
        {0, 1, 0, 0, 2}, // the input has run dry: the line is idle
        {0, 1, kModemDsr, kModemDsr, 3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.queries);
        host.now += step.advanceMs;
        port.modemBits = step.lines;
        receive(step.bytes);
        EXPECT_EQ(bits, step.seen);
        EXPECT_EQ(port.modemQueries, step.queries);
    }
    EXPECT_EQ(host.dsrLamp, true);
    EXPECT_EQ(host.ctsLamp, false);
}

TEST_F(SerialLineTest, BadLineModeAndClosedLine) {
    EXPECT_FALSE(line.OpenLine(0));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"通信エラー!!"});
    EXPECT_TRUE(openedPorts.empty());
    line.WriteByte('A');
    EXPECT_EQ(line.ReadByte(), 0);
    EXPECT_FALSE(line.UpdateLamps());
}

} // namespace
