// Serial lines over the network end to end: the real ser2net in front of a
// pseudo-terminal whose other side is the NC controller simulator, the send and
// receive jobs on the far side of it, reaching it by a port name of section Ports.
#include "NcSim.h"
#include "Ser2Net.h"

#include "platform/NetworkPort.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "settings/Settings.h"
#include "support/Corpus.h"
#include "support/CountingPort.h"
#include "support/FakeSendWindow.h"
#include "support/FakeTransferHost.h"
#include "support/IsoBytes.h"
#include "support/LocalListener.h"
#include "support/RecordingSerialSystem.h"
#include "support/TempDir.h"
#include "transfer/ReceiveJob.h"
#include "transfer/SendJob.h"
#include "transfer/SerialLine.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace {

using ncsim::EndReason;
using Kind = Ser2Net::Kind;

const char* KindName(Kind kind) {
    return kind == Kind::Rfc2217 ? "rfc2217" : kind == Kind::Telnet ? "telnet" : "raw";
}

// The text a controller reads from a send: the lines without their CRs, lone
// "%" lines left out, in the job's own "%" framing.
std::string SentProgram(const std::string& text) {
    std::string expected = "%\n";
    std::string current;
    auto flush = [&] {
        if (current != "%")
            expected += current + "\n";
        current.clear();
    };
    for (char c : text) {
        if (c == '\n')
            flush();
        else if (c != '\r')
            current += c;
    }
    if (!current.empty())
        flush();
    return expected + "\n%";
}

class NetworkEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Ser2NetInstalled())
            GTEST_SKIP() << "ser2net is not installed";
        SetProgramFolder(programDir.path());
        std::string error;
        auto opened = ncsim::SimLine::OpenPty(&error);
        ASSERT_TRUE(opened) << error;
        sim.emplace(std::move(*opened));
        settings.Signal1 = "N";
        settings.StartChar = "Y";
        settings.EndChar = "Y";
        settings.DirPath = work.path().string();
        settings.Port1 = settings.Port2 = "COM9";
        settings.Speed1 = settings.Speed2 = "9600,8,N,1";
        settings.Mask = "*.NC";
        settings.Add_No = "Y";
        host.drained = [this] { return farDone || sim->Received() >= written; };
        // A test that goes wrong ends by the stop key instead of hanging.
        host.onEvents = [this](FakeTransferHost& h) {
            if (++events > 5000000)
                h.held = true;
            waitingForStart = h.status[3] == kReceiveWaiting;
            if (onEvent)
                onEvent(h);
        };
    }
    void TearDown() override {
        stop = true;
        if (far.joinable())
            far.join();
        SetProgramFolder({});
    }

    // ser2net of that kind in front of the simulator, named COM9.
    void Serve(Kind kind) {
        server.emplace(sim->DeviceName(), kind);
        ASSERT_TRUE(server->Start()) << server->Log();
        MapCom9(server->Target());
    }
    void MapCom9(const std::string& target) { settings.Ports = {{"COM9", target}}; }

    SerialLine& Line() {
        line.emplace(host, settings);
        line->SetPortOpener([this](const std::string& portText) {
            PortOpenResult opened = OpenPort(portText, settings.Ports);
            if (opened.port)
                // The bytes are checked here, not the pacing: they go as fast as the server takes
                // them.
                opened.port =
                    std::make_unique<CountingPort>(std::move(opened.port), written, false);
            return opened;
        });
        return *line;
    }
    SendOutcome Send(const std::string& text) {
        window.document.SetText(text);
        SendRequest request;
        request.fileBeingSent = "O1234.NC";
        SendJob job(host, window, Line(), settings, counters);
        return job.Run(request);
    }
    void StartReceiving(ncsim::ReceiveOptions options = {}) {
        farDone = false;
        far = std::thread([this, options] {
            report = ncsim::Receive(*sim, options, &stop);
            farDone = true;
        });
    }
    const ncsim::ReceiveReport& Received() {
        far.join();
        return report;
    }
    ReceiveOutcome Receive(std::function<void()> farEnd) {
        stop = false;
        for (std::string stale; sim->Read(stale, 0) != ncsim::SimLine::ReadResult::Nothing;)
            stale.clear();
        sim->TakeOpened();
        far = std::thread(std::move(farEnd));
        ReceiveOutcome outcome = ReceiveJob(host, receiveWindow, Line(), settings).Run({});
        stop = true;
        far.join();
        return outcome;
    }
    // The simulator punches text once the job waits for the start: its line is
    // open and purged then, so that no byte is lost to the purge.
    std::function<void()> Punch(std::string text, int baud = 0) {
        return [this, text, baud] {
            while (!waitingForStart && !stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ncsim::PunchOptions options;
            options.leader = 10;
            options.baud = baud;
            punched = ncsim::Punch(*sim, text, options, &stop);
        };
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(work.path()))
            files[entry.path().filename().string()] = TempDir::Read(entry.path());
        return files;
    }
    void ClearFiles() {
        for (const auto& entry : std::filesystem::directory_iterator(work.path()))
            std::filesystem::remove(entry.path());
    }
    std::string Log() const { return TempDir::Read(programDir / "Dravik.log"); }

    class ReceiveWindowStub : public ReceiveWindow {
    public:
        std::vector<std::string> programs;
        void AppendDataLine(std::string_view) override {}
        void ClearDataView() override {}
        void ListProgram(int, std::string_view line) override { programs.emplace_back(line); }
        void SetProgress(int) override {}
        void ShowReceivePanel() override {}
        void HideTransferPanel() override {}
        void EnableFileList() override {}
        void StartReturnToIdle(int) override {}
        void RequestRelist() override {}
        void CloseMainWindow() override {}
    };

    TempDir programDir;
    TempDir work;
    std::optional<ncsim::SimLine> sim;
    std::optional<Ser2Net> server;
    ncsim::ReceiveReport report;
    ncsim::PunchReport punched;
    std::atomic<bool> stop{false};
    std::atomic<bool> farDone{false};
    std::atomic<bool> waitingForStart{false};
    std::atomic<size_t> written{0};
    std::thread far;
    TSettings settings;
    DrainingHost host;
    FakeSendWindow window;
    ReceiveWindowStub receiveWindow;
    std::optional<SerialLine> line;
    SendCounters counters;
    long events = 0;
    std::function<void(FakeTransferHost&)> onEvent;
};

TEST_F(NetworkEndToEnd, CorpusFilesSentOverEachKindArriveByteForByte) {
    for (Kind kind : {Kind::Rfc2217, Kind::Raw}) {
        SCOPED_TRACE(KindName(kind));
        Serve(kind);
        for (const char* name : {"19_brown_O9250_crlf.nc", "28_probekit_fadal_O9102_L9101.NC"}) {
            SCOPED_TRACE(name);
            auto file = CorpusFile(name);
            if (!std::filesystem::exists(file))
                GTEST_SKIP() << "corpus not present";
            const std::string text = TempDir::Read(file);
            settings.MSG_OP = "Y";
            ncsim::ReceiveOptions options;
            options.startRepeatMs = 0;
            StartReceiving(options);
            ASSERT_EQ(Send(text), SendOutcome::Completed);
            const auto& r = Received();
            EXPECT_EQ(r.raw, Iso(SentProgram(text)));
            EXPECT_TRUE(host.boxes.empty());
        }
    }
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 4u);
}

// The reception over the network gives the very files of a reception over the
// pseudo-terminal itself.
TEST_F(NetworkEndToEnd, CorpusFilesReceivedOverEachKindEqualTheDirectLine) {
    auto file = CorpusFile("01_fanucbackup_ALL-PROG.TXT");
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "corpus not present";
    const std::string text = TempDir::Read(file);
    MapCom9(sim->DeviceName());
    ASSERT_EQ(Receive(Punch(text)), ReceiveOutcome::Completed);
    const auto direct = Files();
    ASSERT_GT(direct.size(), 10u);
    for (Kind kind : {Kind::Rfc2217, Kind::Raw}) {
        SCOPED_TRACE(KindName(kind));
        ClearFiles();
        Serve(kind);
        ASSERT_EQ(Receive(Punch(text)), ReceiveOutcome::Completed);
        EXPECT_EQ(Files(), direct);
        EXPECT_EQ(punched.end, EndReason::Dc4);
    }
    EXPECT_EQ(Count(Log(), "受信　　完了　"), 3u);
}

// Over RFC 2217 the speed string reaches the device behind the server; raw TCP
// leaves the server's own setting (9600n81 here). The kernel keeps a
// pseudo-terminal at 8 data bits without parity: those two are checked by the
// server's answers, which the open waits for and compares.
TEST_F(NetworkEndToEnd, SpeedAndFormatReachTheDeviceBehindTheServer) {
    struct Case {
        Kind kind;
        int mode;
        const char* speed;
        int baud;
        StopBits stop;
        bool xon, xoff;
    };
    const Case cases[] = {
        {Kind::Rfc2217, 1, "19200,8,N,2", 19200, StopBits::Two, false, false},
        {Kind::Rfc2217, 1, "4800,7,E,1", 4800, StopBits::One, false, false},
        {Kind::Rfc2217, 1, "14400,8,N,1", 14400, StopBits::One, false, false},
        {Kind::Rfc2217, 3, "2400,7,O,2", 2400, StopBits::Two, false, false},
        {Kind::Rfc2217, 2, "9600,8,N,2", 9600, StopBits::Two, true, true},
        {Kind::Rfc2217, 4, "4800,8,N,1", 4800, StopBits::One, false, false},
        // 0: the program's settings never reach the device; what it has is the
        // server's own (ser2net sets them when it opens the device, which may come
        // after the connection).
        {Kind::Raw, 1, "19200,8,N,2", 0, StopBits::One, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(KindName(c.kind)) + " mode " + std::to_string(c.mode) + " " +
                     c.speed);
        Serve(c.kind);
        settings.Speed1 = settings.Speed2 = c.speed;
        SerialLine& l = Line();
        const std::optional<Dcb> before = sim->Settings();
        ASSERT_TRUE(l.OpenLine(c.mode)) << (host.boxes.empty() ? "" : host.boxes.back().detail);
        std::optional<Dcb> seen = sim->Settings();
        ASSERT_TRUE(seen && before);
        if (c.baud != 0) {
            EXPECT_EQ(seen->BaudRate, c.baud);
            EXPECT_EQ(seen->stopBits, c.stop);
        } else {
            EXPECT_NE(seen->BaudRate, 19200);
            EXPECT_NE(seen->stopBits, StopBits::Two);
        }
        EXPECT_EQ(seen->fOutX, c.xon);
        EXPECT_EQ(seen->fInX, c.xoff);
        l.CloseLine();
    }
    EXPECT_TRUE(host.boxes.empty());
}

// Every fault of the network before a transfer: the send stops with the port's
// message naming the server and the reason, and the stop is logged.
TEST_F(NetworkEndToEnd, PortsThatCannotBeReachedStopTheSendWithTheirReason) {
    struct Case {
        std::string target;
        std::string reason;
    };
    const int nothing = FreeLocalPort();
    const Case cases[] = {
        {"rfc2217://127.0.0.1:" + std::to_string(nothing),
         "127.0.0.1 のポート " + std::to_string(nothing) + " は接続を拒否しました"},
        {"tcp://127.0.0.1:" + std::to_string(nothing), "は接続を拒否しました"},
        {"rfc2217://no-such-device-server.invalid:4001",
         "ホスト名 \"no-such-device-server.invalid\" が見つかりません"},
        {"tcp://127.0.0.1", "ネットワークポートの指定が正しくありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        MapCom9(c.target);
        host.boxes.clear();
        ASSERT_EQ(Send("G1X1.\n"), SendOutcome::Stopped);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "COM9のポートが開きません。!!");
        EXPECT_NE(host.boxes[0].detail.find("COM9 (" + c.target + ": "), std::string::npos)
            << host.boxes[0].detail;
        EXPECT_NE(host.boxes[0].detail.find(c.reason), std::string::npos) << host.boxes[0].detail;
        EXPECT_EQ(host.messageLine, "送信中止しました。!!");
    }
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 4u);
}

// A listener whose queue is full: the handshake of a new connection is never
// answered, as with a host that is switched off.
class UnansweringHost {
public:
    UnansweringHost() : listener_(0) {
        // The one connection the queue holds.
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(filler_, listener_.Address(), sizeof(sockaddr_in));
    }
    ~UnansweringHost() { ::close(filler_); }
    int Port() const { return listener_.Port(); }

private:
    LocalListener listener_;
    int filler_ = -1;
};

// The connect waits kConnectTimeoutMs through the seam; the test's seam ends
// the wait at once instead of after five seconds.
TEST_F(NetworkEndToEnd, HostThatDoesNotAnswerIsGivenUpAfterFiveSeconds) {
    UnansweringHost silent;
    RecordingSerialSystem seam;
    MapCom9("rfc2217://127.0.0.1:" + std::to_string(silent.Port()));
    ASSERT_EQ(Send("G1X1.\n"), SendOutcome::Stopped);
    EXPECT_EQ(seam.TimeoutsFor(POLLOUT), std::vector<int>{5000});
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].detail.find("127.0.0.1 のポート " + std::to_string(silent.Port()) +
                                        " が 5 秒以内に応答しません"),
              std::string::npos)
        << host.boxes[0].detail;
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u);
}

// A socket that accepts and never says a word: no answer to the COM port option.
TEST_F(NetworkEndToEnd, ServerThatNeverAnswersTheNegotiationIsNamed) {
    LocalListener silent;
    ASSERT_TRUE(silent.Ok());
    RecordingSerialSystem seam;
    seam.realWaitCapMs = 50; // the connection itself is made at once
    MapCom9(silent.Target("rfc2217"));
    ASSERT_EQ(Send("G1X1.\n"), SendOutcome::Stopped);
    std::vector<int> waits = seam.TimeoutsFor(POLLIN);
    ASSERT_FALSE(waits.empty());
    EXPECT_GT(waits.front(), 4000);
    EXPECT_LE(waits.front(), 5000);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].detail.find("5 秒以内に RFC 2217 の応答がありません"),
              std::string::npos)
        << host.boxes[0].detail;
}

// A Telnet server without the COM port option: the send goes out raw, after a warning.
TEST_F(NetworkEndToEnd, ServerRefusingTheComPortOptionIsUsedRawWithAWarning) {
    Serve(Kind::Telnet);
    MapCom9("rfc2217://127.0.0.1:" + std::to_string(server->Port()));
    const std::string text = "O0001\nG1X1.Y2.\n(DONE)\nM30\n";
    ncsim::ReceiveOptions options;
    options.startRepeatMs = 0;
    StartReceiving(options);
    ASSERT_EQ(Send(text), SendOutcome::Completed);
    EXPECT_EQ(Received().raw, Iso(SentProgram(text)));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].kind, HostBox::Warning);
    EXPECT_NE(host.boxes[0].text.find("RFC 2217 (COM-PORT-OPTION) を拒否しました"),
              std::string::npos)
        << host.boxes[0].text;
    // No modem lines are reported: the lamps show them on.
    EXPECT_EQ(host.dsrLamp, true);
    EXPECT_EQ(host.ctsLamp, true);
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 1u);
}

TEST_F(NetworkEndToEnd, ServerStoppedMidSendStopsTheJobAsAPulledCable) {
    for (Kind kind : {Kind::Rfc2217, Kind::Raw}) {
        SCOPED_TRACE(KindName(kind));
        Serve(kind);
        host.boxes.clear();
        ncsim::ReceiveOptions options;
        options.startRepeatMs = 0;
        options.endOnPercent = false;
        StartReceiving(options);
        onEvent = [this](FakeTransferHost&) {
            if (sim->Received() > 3000 && !stop) {
                server->Stop();
                stop = true; // the simulator has nothing more to read
            }
        };
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "G1X" + std::to_string(i) + "\n";
        EXPECT_EQ(Send(text), SendOutcome::Stopped);
        onEvent = nullptr;
        stop = true;
        far.join();
        stop = false;
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "通信回線が切断されました。送信を中止します。");
        EXPECT_EQ(host.messageLine, "送信中止しました。!!");
        EXPECT_LT(written.load(), text.size());
    }
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 2u);
}

TEST_F(NetworkEndToEnd, ServerStoppedMidReceiveKeepsTheFinishedPrograms) {
    Serve(Kind::Rfc2217);
    std::string text = "O1\nG1\nM30\nO2\n";
    for (int i = 0; i < 2000; ++i)
        text += "X" + std::to_string(i) + "\n";
    onEvent = [this](FakeTransferHost&) {
        if (receiveWindow.programs.size() == 2)
            server->Stop();
    };
    EXPECT_EQ(Receive(Punch(text, 9600)), ReceiveOutcome::Stopped);
    EXPECT_EQ(Files(),
              (std::map<std::string, std::string>{{"O1_001.NC", "%\r\nO1\r\nG1\r\nM30\r\n%\r\n"}}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "通信回線が切断されました。受信を中止します。");
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_EQ(Count(Log(), "受信　　中止　"), 1u);
}

// Every byte value both ways through the port itself, with the modem lines
// each kind reports: ser2net's pseudo-terminal has none (all off over RFC 2217),
// raw TCP reads them on.
TEST_F(NetworkEndToEnd, EveryByteValuePassesBothWays) {
    std::string all;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
    all += std::string(8, '\xFF');
    struct Case {
        Kind kind;
        unsigned modem;
    };
    for (const Case c :
         {Case{Kind::Rfc2217, 0u}, Case{Kind::Raw, kModemCts | kModemDsr | kModemRlsd}}) {
        SCOPED_TRACE(KindName(c.kind));
        Serve(c.kind);
        PortOpenResult opened = OpenPort("COM9", settings.Ports);
        ASSERT_TRUE(opened.port) << opened.detail;
        SerialPort& port = *opened.port;
        Dcb dcb;
        dcb.BaudRate = 19200;
        ASSERT_TRUE(port.SetCommState(dcb));
        CommTimeouts timeouts;
        timeouts.ReadTotalTimeoutConstant = 1000;
        timeouts.WriteTotalTimeoutConstant = 1000;
        ASSERT_TRUE(port.SetCommTimeouts(timeouts));
        ASSERT_TRUE(port.PurgeComm());
        // One byte a call, then all of them in runs of 64: a 0xFF at a run's
        // edge is escaped as one in its middle.
        for (char b : all)
            ASSERT_EQ(port.WriteFile(static_cast<unsigned char>(b)), WriteResult::Written);
        const auto* data = reinterpret_cast<const unsigned char*>(all.data());
        for (size_t at = 0; at < all.size();) {
            size_t written = 0;
            ASSERT_EQ(port.WriteBytes(data + at, std::min<size_t>(64, all.size() - at), written),
                      WriteResult::Written);
            at += written;
        }
        std::string atDevice;
        for (int i = 0; i < 400 && atDevice.size() < 2 * all.size(); ++i)
            sim->Read(atDevice, 20);
        EXPECT_EQ(atDevice, all + all);

        ASSERT_TRUE(sim->Write(all, 2000));
        std::string atPc;
        unsigned char buffer[100];
        for (int i = 0; i < 200 && atPc.size() < all.size(); ++i) {
            size_t count = 0;
            if (port.ReadFile(buffer, sizeof buffer, count, true) == ReadResult::Byte)
                atPc.append(reinterpret_cast<char*>(buffer), count);
        }
        EXPECT_EQ(atPc, all);
        unsigned bits = 0xFFFF;
        EXPECT_TRUE(port.GetCommModemStatus(bits));
        EXPECT_EQ(bits, c.modem);
    }
}

// A server that takes the connection and then reads nothing: the socket fills,
// and the write timeout of the line applies instead of blocking the program.
TEST_F(NetworkEndToEnd, ServerThatStopsReadingRunsIntoTheWriteTimeout) {
    LocalListener silent(4, 4096);
    ASSERT_TRUE(silent.Ok());
    MapCom9(silent.Target("tcp"));
    PortOpenResult opened = OpenPort("COM9", settings.Ports);
    ASSERT_TRUE(opened.port) << opened.detail;
    CommTimeouts timeouts;
    timeouts.WriteTotalTimeoutConstant = 1000;
    ASSERT_TRUE(opened.port->SetCommTimeouts(timeouts));
    RecordingSerialSystem seam; // the timeout is checked, not waited for
    size_t accepted = 0;
    while (accepted < 10'000'000 && opened.port->WriteFile('G') == WriteResult::Written)
        ++accepted;
    EXPECT_LT(accepted, 10'000'000u) << "the socket never filled";
    std::vector<int> waits = seam.TimeoutsFor(POLLOUT);
    ASSERT_FALSE(waits.empty());
    EXPECT_LE(waits.back(), 1000);
    EXPECT_GT(waits.back(), 900);
    int queued = 0;
    EXPECT_TRUE(opened.port->ClearCommError(queued));
    EXPECT_GT(queued, 0) << "what the server has not taken counts as queued";
}

} // namespace
