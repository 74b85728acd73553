// The receive job on a fake port: start detection, the ends of a reception, the
// stop keys, the modem lines, the tape reader start and the failure paths.
#include "transfer/ReceiveJob.h"

#include "platform/FileWrite.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/FakeSerialPort.h"
#include "support/FakeTransferHost.h"
#include "support/SyncRecorder.h"
#include "support/TempDir.h"
#include "transfer/SerialLine.h"
#include "transfer/TapeCode.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace {

class RecordingHost : public FakeTransferHost {
public:
    std::vector<std::string> panel3;
    std::function<void(int)> onSleep;
    void Sleep(int ms) override {
        FakeTransferHost::Sleep(ms);
        if (onSleep)
            onSleep(ms);
    }
    void SetStatusText(int panel, std::string_view text) override {
        FakeTransferHost::SetStatusText(panel, text);
        if (panel == 3)
            panel3.emplace_back(text);
    }
};

class RecordingWindow : public ReceiveWindow {
public:
    std::vector<std::string> lines;
    std::vector<std::string> programs;
    int progress = -1;
    int panelShown = 0;
    int panelHidden = 0;
    int listEnabled = 0;
    int returnToIdleMs = 0;
    int relists = 0;
    int closes = 0;

    void AppendDataLine(std::string_view line) override { lines.emplace_back(line); }
    void ClearDataView() override { lines.clear(); }
    void ListProgram(int, std::string_view line) override { programs.emplace_back(line); }
    void SetProgress(int lines) override { progress = lines; }
    void ShowReceivePanel() override { ++panelShown; }
    void HideTransferPanel() override { ++panelHidden; }
    void EnableFileList() override { ++listEnabled; }
    void StartReturnToIdle(int ms) override { returnToIdleMs = ms; }
    void RequestRelist() override { ++relists; }
    void CloseMainWindow() override { ++closes; }
};

std::vector<unsigned char> Tape(std::string_view text, SendCode code) {
    std::vector<unsigned char> bytes;
    for (char c : text) {
        if (auto b = EncodeByte(static_cast<unsigned char>(c), code))
            bytes.push_back(*b);
    }
    return bytes;
}

class ReceiveJobTest : public ::testing::Test {
protected:
    ReceiveJobTest() {
        SetProgramFolder(programDir.path());
        settings.DirPath = work.path().string();
        settings.Port1 = "COM1";
        settings.Port2 = "COM2";
        settings.Speed2 = "9600,8,N,1";
        settings.Mask = "*.NC";
        settings.EndChar = "N";
        settings.R_Code = 0;
        line.SetPortOpener([this](const std::string& port) {
            opened.push_back(port);
            PortOpenResult result;
            if (refuseOpen)
                result.error = EBUSY;
            else
                result.port = std::make_unique<FakeSerialPort>(Port(port));
            return result;
        });
        // Nothing in these tests may wait forever: a runaway loop is stopped by a key.
        host.onEvents = [this](FakeTransferHost& h) {
            if (++events > 1000000)
                h.held = true;
            if (onEvent)
                onEvent(events);
        };
    }
    ~ReceiveJobTest() override {
        SetProgramFolder({});
        SetFileWriteFaultForTest(nullptr);
    }

    std::shared_ptr<FakePortState> Port(const std::string& name) {
        auto& state = ports[name];
        if (!state)
            state = std::make_shared<FakePortState>();
        return state;
    }
    void Feed(std::string_view text, SendCode code = SendCode::Iso) {
        for (unsigned char b : Tape(text, code))
            Port("COM2")->input.push_back(b);
    }
    ReceiveOutcome Run(ReceiveRequest request = {}) {
        ReceiveJob job(host, window, line, settings);
        return job.Run(request);
    }
    std::string Log() const { return TempDir::Read(programDir / "Dravik.log"); }
    std::string File(std::string_view name) const { return TempDir::Read(work / name); }
    bool Exists(std::string_view name) const { return std::filesystem::exists(work / name); }

    TempDir programDir;
    TempDir work;
    TSettings settings;
    RecordingHost host;
    RecordingWindow window;
    SerialLine line{host, settings};
    std::map<std::string, std::shared_ptr<FakePortState>> ports;
    std::vector<std::string> opened;
    bool refuseOpen = false;
    long events = 0;
    std::function<void(long)> onEvent;
};

TEST_F(ReceiveJobTest, CompletedReceptionSavesLogsAndReturnsToIdle) {
    std::string leader(20, '\0');
    Port("COM2")->input.assign(leader.begin(), leader.end());
    Feed("%\nO0001(A)\nG01X10.\nM30\n%");
    ReceiveRequest request;
    request.exitAfterTransfer = true;
    EXPECT_EQ(Run(request), ReceiveOutcome::Completed);

    EXPECT_EQ(File("O0001_001.NC"), "O0001(A)\r\nG01 X10.\r\nM30\r\n");
    EXPECT_EQ(host.panel3,
              (std::vector<std::string>{"受信待機中(信号待ち)", "＜＜ 受信中 ＞＞",
                                        "受信データ保存中です。", "受信完了しました。"}));
    EXPECT_EQ(host.messageLine, "受信完了しました。!!");
    EXPECT_EQ(host.messageColour, MessageColour::Lime);
    EXPECT_EQ(host.status[0], "");
    const auto& port = *Port("COM2");
    EXPECT_EQ(port.written, std::vector<unsigned char>{0x14}) << "DC4 ends the reception";
    EXPECT_TRUE(port.closed);
    EXPECT_EQ(host.sleeps, std::vector<int>{3000});
    EXPECT_NE(Log().find("受信　　完了　"), std::string::npos);
    EXPECT_NE(Log().find("　" + (work / "O0001_001.NC").string() + "\n"), std::string::npos);
    EXPECT_EQ(window.relists, 1);
    EXPECT_EQ(window.returnToIdleMs, 3000);
    EXPECT_EQ(window.closes, 1) << "shut down after a completed transfer";
    EXPECT_EQ(window.panelShown, 1);
    EXPECT_EQ(window.panelHidden, 1);
    EXPECT_EQ(window.programs, std::vector<std::string>{"O0001(A)"});
}

// A leader "%" with its parity bit reads as an EIA byte that decodes to nothing;
// the code is detected again on the line feed, which starts the reception in ISO.
TEST_F(ReceiveJobTest, AutomaticCodeForgetsBytesBeforeTheStart) {
    Port("COM2")->input = {0x00, 0xA5};
    Feed("\nO0002\nG1\n%");
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O0002_001.NC"), "O0002\r\nG1\r\n");

    // Noise and parity garbage before the start change nothing either.
    Port("COM2")->input = {0xFF, 0x83, 0x7A, 0x01, 0x91, 0x00};
    Feed("%\nO0003\nG2\n%", SendCode::Eia);
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O0003_001.NC"), "O0003\r\nG2\r\n");
}

// An R_Code that names no code detects like 0: the leader's parity "%" fixes nothing.
TEST_F(ReceiveJobTest, UnknownCodeSettingDetectsLikeAutomatic) {
    settings.R_Code = 9;
    Port("COM2")->input = {0x00, 0xA5};
    Feed("\nO0004\nG1\n%");
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O0004_001.NC"), "O0004\r\nG1\r\n");
}

// The job takes its rules when it starts: settings changed while it runs (the
// options dialog stays reachable through processed events) leave it alone.
TEST_F(ReceiveJobTest, SettingsChangedDuringTheRunDoNotReachIt) {
    Feed("%\nO1\nM30\nO2\nG1");
    onEvent = [this](long) {
        settings.op5 = "Y";
        settings.op6 = "Y";
        settings.R_Code = 2;
        settings.Power_Off = "Y";
        settings.Mask = "*.TXT";
        host.pressed = Port("COM2")->input.empty();
    };
    Port("COM2")->modemBits = kModemCts;
    EXPECT_EQ(Run(), ReceiveOutcome::Stopped) << "Esc still stops, DSR off still ends nothing";
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n") << "still read as ISO, named by *.NC";
    EXPECT_FALSE(Exists("O2_002.NC")) << "the program in progress goes on a stop";
}

// Esc pressed before the job (while browsing, in the save question) is no stop.
TEST_F(ReceiveJobTest, APressBeforeTheJobDoesNotStopIt) {
    Feed("%\nO1\nM30\n%");
    host.pressed = true;
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
}

TEST_F(ReceiveJobTest, EscBeforeTheStartDeletesNothing) {
    work.Write("O0001_001.NC", "earlier reception");
    onEvent = [this](long n) { host.pressed = n == 5; };
    EXPECT_EQ(Run(), ReceiveOutcome::Stopped);
    EXPECT_EQ(File("O0001_001.NC"), "earlier reception");
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_EQ(host.messageColour, MessageColour::Red);
    EXPECT_EQ(host.panel3.back(), "受信を中止しました。");
    EXPECT_EQ(Port("COM2")->written, std::vector<unsigned char>{0x14});
    EXPECT_EQ(window.returnToIdleMs, 1000);
    EXPECT_EQ(window.relists, 0);
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
    EXPECT_EQ(Log().substr(Log().size() - 4), "　\n") << "no file named in the entry";
    EXPECT_GE(host.releases, 1);
}

TEST_F(ReceiveJobTest, EscDuringReceptionDeletesOnlyTheProgramInProgress) {
    Feed("%\nO1\nM30\nO2\nG1\n");
    onEvent = [this](long) { host.pressed = Port("COM2")->input.empty(); };
    ReceiveRequest request;
    request.exitAfterTransfer = true;
    EXPECT_EQ(Run(request), ReceiveOutcome::Stopped);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
    EXPECT_FALSE(Exists("O2_002.NC"));
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
    EXPECT_NE(Log().find((work / "O2_002.NC").string()), std::string::npos);
    EXPECT_EQ(window.closes, 0) << "a stop never shuts down";
}

// The close of the line discards what is still queued: the stop's DC4 gets time
// to leave first, before the start and during the reception alike.
TEST_F(ReceiveJobTest, StopGivesItsDc4TimeToLeaveBeforeTheClose) {
    struct Case {
        const char* when;
        const char* tape;
    };
    const Case cases[] = {{"waiting for the start", ""}, {"receiving", "%\nO1\nM30\nO2\nG1\n"}};
    for (const Case& c : cases) {
        ports.clear();
        Feed(c.tape);
        bool pressed = false; // once: a key still down would also hold back the DC4
        onEvent = [&](long) {
            if (!pressed && Port("COM2")->input.empty())
                host.pressed = pressed = true;
        };
        std::vector<std::string> atSleep;
        host.onSleep = [&](int ms) {
            const auto& port = *Port("COM2");
            atSleep.push_back(std::to_string(ms) + (port.written.empty() ? "" : " after DC4") +
                              (port.closed ? " closed" : " open"));
        };
        EXPECT_EQ(Run(), ReceiveOutcome::Stopped) << c.when;
        EXPECT_EQ(atSleep,
                  std::vector<std::string>{std::to_string(kLastByteLeaveMs) + " after DC4 open"})
            << c.when;
        EXPECT_EQ(Port("COM2")->written, std::vector<unsigned char>{0x14}) << c.when;
        EXPECT_TRUE(Port("COM2")->closed) << c.when;
    }
}

TEST_F(ReceiveJobTest, EscDuringReceptionWithSaveOnStopCompletes) {
    settings.op5 = "Y";
    settings.EndChar = "Y";
    Feed("%\nO1\nM30\nO2\nG1\nG2");
    onEvent = [this](long) { host.pressed = Port("COM2")->input.empty(); };
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n%\r\n");
    EXPECT_EQ(File("O2_002.NC"), "O2\r\nG1\r\n") << "no end line, no half line";
    EXPECT_NE(Log().find("受信　　完了　"), std::string::npos);
    EXPECT_EQ(host.messageLine, "受信完了しました。!!");
}

TEST_F(ReceiveJobTest, DsrDroppingEndsTheReceptionWhenAsked) {
    settings.op6 = "Y";
    Feed("%\nO1\nG1");
    auto port = Port("COM2");
    onEvent = [port](long) {
        if (port->input.empty())
            port->modemBits = kModemCts;
    };
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nG1\r\n");
    EXPECT_EQ(host.dsrLamp, false);
}

TEST_F(ReceiveJobTest, TapeReaderIsStartedOnTheSendLine) {
    settings.Reader = "Y";
    settings.Speed1 = "19200,7,E,1";
    Feed("%\nO1\n%");
    EXPECT_EQ(Run(), ReceiveOutcome::Completed);
    EXPECT_EQ(opened, (std::vector<std::string>{"COM1", "COM2"}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "テープリーダーにＮＣテープを\nセットしてください。");
    EXPECT_EQ(Port("COM1")->written, std::vector<unsigned char>{0x11});
    EXPECT_TRUE(Port("COM1")->closed);
    // The close discards unsent output: the DC1 gets time to leave first.
    EXPECT_EQ(host.sleeps.at(0), kLastByteLeaveMs);
    const Dcb& dcb = Port("COM2")->dcb;
    EXPECT_EQ(dcb.BaudRate, 4800);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.parity, Parity::None);
    EXPECT_EQ(dcb.stopBits, StopBits::Two);
    EXPECT_TRUE(dcb.fInX);
    EXPECT_FALSE(dcb.fOutX) << "the driver would swallow its stop character, the EIA digit 3";
}

TEST_F(ReceiveJobTest, LineThatCannotOpenStopsAndLogs) {
    settings.Add_No = "N";
    refuseOpen = true;
    ReceiveRequest request{true, (work / "PRG.NC").string(), "PRG.NC", false};
    EXPECT_EQ(Run(request), ReceiveOutcome::Stopped);
    EXPECT_FALSE(Exists("PRG.NC")) << "the named file made for this reception goes";
    EXPECT_EQ(host.boxes.at(0).text, "COM2のポートが開きません。!!");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
}

TEST_F(ReceiveJobTest, VanishingLineStopsWithAMessageAndKeepsFinishedPrograms) {
    Feed("%\nO1\nM30\nO2\nG1\n");
    auto port = Port("COM2");
    onEvent = [port](long) { port->gone = port->input.empty(); };
    EXPECT_EQ(Run(), ReceiveOutcome::Stopped);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
    EXPECT_FALSE(Exists("O2_002.NC"));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "通信回線が切断されました。受信を中止します。");
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
}

TEST_F(ReceiveJobTest, FullDiskEndsWithoutDc4AndKeepsWhatWasWritten) {
    Feed("%\nO1\nM30\nO2\nG1\n%");
    SetFileWriteFaultForTest([](const std::filesystem::path& path) {
        return path.filename() == "O2_002.NC" ? ENOSPC : 0;
    });
    EXPECT_EQ(Run(), ReceiveOutcome::Stopped);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("No space left on device"), std::string::npos);
    EXPECT_TRUE(Port("COM2")->written.empty()) << "no DC4 after an unexpected failure";
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
    EXPECT_NE(Log().find("O2_002.NC"), std::string::npos);
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
}

// Every file of a reception and the folder holding it are on the disk before
// "受信完了" shows; a flush that fails is reported as data that could not be saved.
TEST_F(ReceiveJobTest, ReceivedFilesReachTheDiskBeforeTheCompletion) {
    struct Case {
        const char* what;
        ReceiveRequest request;
        std::vector<std::string> files;
    } cases[] = {
        {"a file per program", {}, {"O1_001.NC", "O2_002.NC"}},
        {"the operator's file", {true, (work / "PRG.NC").string(), "PRG.NC", false}, {"PRG.NC"}},
    };
    SyncRecorder syncs;
    std::vector<std::string> shownAtFlush;
    syncs.onFlush = [&](const std::filesystem::path&) { shownAtFlush.push_back(host.messageLine); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        syncs.Clear();
        shownAtFlush.clear();
        host.messageLine.clear();
        Feed("%\nO1\nM30\nO2\nG1\n%");
        ASSERT_EQ(Run(c.request), ReceiveOutcome::Completed);
        EXPECT_EQ(host.messageLine, "受信完了しました。!!");
        for (const std::string& name : c.files)
            EXPECT_TRUE(syncs.OnDisk(work / name)) << name;
        EXPECT_EQ(shownAtFlush, std::vector<std::string>(syncs.flushed.size(), ""));

        syncs.Clear();
        syncs.FailFor(work / c.files.front());
        host.messageLine.clear();
        host.boxes.clear();
        Feed("%\nO1\nM30\nO2\nG1\n%");
        EXPECT_EQ(Run(c.request), ReceiveOutcome::Stopped);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "受信データを保存できませんでした。\n" +
                                          (work / c.files.front()).string() + ": " +
                                          std::strerror(EIO));
        EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    }
}

TEST_F(ReceiveJobTest, NamedFileThatCannotBeCreatedStopsBeforeTheLineOpens) {
    settings.Mask = "*.*";
    ReceiveRequest request{true, (work / "PRG.*").string(), "PRG.*", false};
    EXPECT_EQ(Run(request), ReceiveOutcome::Stopped);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(host.status[0], "");
    EXPECT_NE(Log().find("PRG.*"), std::string::npos);
}

} // namespace
