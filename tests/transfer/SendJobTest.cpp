// The send job on a fake port: the bytes it writes, the states it shows, the log.
#include "transfer/SendJob.h"

#include "platform/PowerOff.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/Corpus.h"
#include "support/FakeSendWindow.h"
#include "support/FakeSerialPort.h"
#include "support/FakeTransferHost.h"
#include "support/IsoBytes.h"
#include "support/TempDir.h"
#include "transfer/SerialLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

namespace {

class SendJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(dir.path());
        settings.Signal1 = "N"; // the operator starts: the question is answered Yes
        settings.StartChar = "Y";
        settings.EndChar = "Y";
        settings.DirPath = "/nc";
        line.SetPortOpener([this](const std::string&) {
            ++opens;
            PortOpenResult result;
            if (!portMissing)
                result.port = std::make_unique<FakeSerialPort>(port);
            return result;
        });
    }
    void TearDown() override {
        SetProgramFolder({});
        SetPowerOffForTest(nullptr);
    }
    SendOutcome Send(std::string_view text, SendRequest request = {}) {
        window.document.SetText(std::string(text));
        if (request.fileBeingSent.empty())
            request.fileBeingSent = "O1234.NC";
        SendJob job(host, window, line, settings, counters);
        return job.Run(request);
    }
    std::string Written() const { return {port->written.begin(), port->written.end()}; }
    std::string Log() const { return TempDir::Read(dir / "Dravik.log"); }

    TempDir dir;
    TSettings settings;
    FakeTransferHost host;
    FakeSendWindow window;
    std::shared_ptr<FakePortState> port = std::make_shared<FakePortState>();
    bool portMissing = false;
    int opens = 0;
    SerialLine line{host, settings};
    SendCounters counters;
};

TEST_F(SendJobTest, ByteStreamOfOneIsoProgramAndTheCompletionPath) {
    ASSERT_EQ(Send("%\r\nO1234\r\nG0X1.\r\nM30\r\n%\r\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nO1234\nG0X1.\nM30\n\n%"));
    std::string expected = "\xA5\x0A\xCF\xB1\xB2\x33\xB4\x0A\x47\x30\xD8\xB1\x2E\x0A"
                           "\x4D\x33\x30\x0A\x0A\xA5";
    EXPECT_EQ(Written(), expected) << "the file's own % lines are not sent";

    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0],
              "ＮＣ装置側の準備を行ってください。\n準備が出来ましたら「はい(Y)」を\n"
              "押すと送信が開始します。");
    EXPECT_EQ(host.status[3], "送信完了しました。");
    EXPECT_EQ(host.messageLine, "送信完了しました。!!");
    EXPECT_EQ(host.messageColour, MessageColour::Lime);
    for (int panel : {0, 2, 4, 5, 6})
        EXPECT_EQ(host.status[panel], "") << panel;
    EXPECT_EQ(window.returnToIdleMs, 3000);
    EXPECT_TRUE(window.panelHidden && window.listEnabled && window.screenSaverSuspended);
    EXPECT_TRUE(window.document.Empty());
    EXPECT_EQ(window.marksCleared, 1);
    EXPECT_EQ(window.progress, 0);
    EXPECT_FALSE(window.estimateTimerRunning);
    EXPECT_TRUE(port->closed);
    // The drain before the close, and the pause after M30.
    EXPECT_NE(std::find(host.sleeps.begin(), host.sleeps.end(), 4000), host.sleeps.end());
    EXPECT_EQ(std::count(host.sleeps.begin(), host.sleeps.end(), 5), 1);
    // Remaining bytes per line (25 counted bytes in all), then 0 after the text.
    ASSERT_GE(window.remainingTexts.size(), 2u);
    EXPECT_EQ(window.remainingTexts[window.remainingTexts.size() - 2], "残り 1ﾊﾞｲﾄ(約 0秒)");
    EXPECT_EQ(window.remainingTexts.back(), "残り 0ﾊﾞｲﾄ");
    EXPECT_EQ(window.progressMaximum, 25);
    EXPECT_EQ(counters.sent, 25);

    std::string log = Log();
    EXPECT_EQ(Count(log, "送信　　完了　"), 1u);
    EXPECT_NE(log.find("　/nc/O1234.NC\n"), std::string::npos);
}

TEST_F(SendJobTest, EveryLineOnceWhateverTheLineEnds) {
    const std::string reference = Iso("%\nO1\nG1X2.\n\nM30\n\n%");
    for (std::string_view text : {"O1\r\nG1X2.\r\n\r\nM30\r\n", "O1\nG1X2.\n\nM30",
                                  "O1\nG1X2.\n\nM30\n", "O1\n\r\rG1X2.\n\r\r\n\r\rM30\n\r\r"}) {
        port->written.clear();
        SCOPED_TRACE(std::string(text));
        ASSERT_EQ(Send(text), SendOutcome::Completed);
        EXPECT_EQ(Written(), reference);
        EXPECT_EQ(counters.sent, counters.total);
    }
}

// A line may leave its last bytes for the next line's write; nothing that ends
// a text (skipped "%" lines, a program end, the next file of a series, no end
// characters) may leave them unsent.
TEST_F(SendJobTest, TheLastLinesReachTheLineWhateverFollowsThem) {
    settings.StartChar = "N";
    settings.EndChar = "N";
    window.files = {{"B.NC", "G2\n%\n"}};
    const struct {
        const char* text;
        bool series;
        const char* sent;
    } cases[] = {
        {"O1\nG1\n", false, "O1\nG1\n"},       {"O1\nG1\n%", false, "O1\nG1\n"},
        {"O1\nG1\n%\n%\n", false, "O1\nG1\n"}, {"O1\nM30\n%\n", false, "O1\nM30\n"},
        {"G1\n%\n", true, "G1\nG2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        port->written.clear();
        SendRequest request;
        if (c.series) {
            request.fileBeingSent = "A.NC";
            request.multiSend = true;
            request.queue = {"A.NC", "B.NC"};
        }
        // The next file is read with the line busy, not with bytes held back.
        std::string writtenAtNextFile;
        window.onSelect = [&](size_t) {
            if (window.loaded.size() == 1 && writtenAtNextFile.empty())
                writtenAtNextFile = Written();
        };
        ASSERT_EQ(Send(c.text, request), SendOutcome::Completed);
        // Without start and end characters the text stands between LF and DC4.
        EXPECT_EQ(Written(), Iso("\n" + std::string(c.sent) + "\x14"));
        if (c.series) {
            EXPECT_EQ(writtenAtNextFile, Iso("\nG1\n"));
        }
        window.onSelect = nullptr;
    }
}

TEST_F(SendJobTest, FanucBackupWithLfCrCrLineEndsGoesOutLineByLine) {
    auto file = CorpusFile("01_fanucbackup_ALL-PROG.TXT");
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "corpus not present";
    std::string text = TempDir::Read(file);
    ASSERT_EQ(Send(text), SendOutcome::Completed);
    // Reference: split on LF, drop the CRs of each end, leave out lone "%" lines.
    std::string expected = "%\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string lineText = text.substr(start, end - start);
        lineText.erase(std::remove(lineText.begin(), lineText.end(), '\r'), lineText.end());
        lineText.erase(std::remove(lineText.begin(), lineText.end(), '\t'), lineText.end());
        if (lineText != "%") {
            // Comments with ";" or "'" do not occur in this file; "%" inside lines neither.
            expected += lineText + "\n";
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    expected += "\n%";
    EXPECT_EQ(Written(), Iso(expected));
}

TEST_F(SendJobTest, RemainingTimeShowsTheWorkersLastEstimate) {
    window.onSelect = [this](size_t index) {
        if (index == 1)
            counters.remainingSeconds = 75; // as the estimate worker would leave it
    };
    ASSERT_EQ(Send("G1\nG2\nG3\n"), SendOutcome::Completed);
    ASSERT_GE(window.remainingTexts.size(), 3u);
    EXPECT_EQ(window.remainingTexts[0], "残り 9ﾊﾞｲﾄ(約 0秒)");
    EXPECT_EQ(window.remainingTexts[1], "残り 5ﾊﾞｲﾄ(約 1分15秒)");
    EXPECT_TRUE(window.estimateTimerStarts >= 1 && !window.estimateTimerRunning);
}

TEST_F(SendJobTest, LineOf100000CharactersGoesOutWhole) {
    std::string longLine(100000, 'X');
    ASSERT_EQ(Send("G1\n" + longLine + "\nM30\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nG1\n" + longLine + "\nM30\n\n%"));
    EXPECT_EQ(counters.sent, counters.total);
}

TEST_F(SendJobTest, EiaSendsColonAsOAndLineFeedAsEndOfBlock) {
    settings.Code = "Y";
    ASSERT_EQ(Send("O1234\n:1234\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), std::string("\x0B\x80"
                                     "\x46\x01\x02\x13\x04\x80"
                                     "\x46\x01\x02\x13\x04\x80"
                                     "\x80\x0B",
                                     16));
}

TEST_F(SendJobTest, TheNcStartsWithDc1OrPercentAndOp2RefusesOnDc3) {
    settings.Signal1 = "Y";
    port->input = {'A', 0x11};
    ASSERT_EQ(Send("G1\n"), SendOutcome::Completed);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(Written(), Iso("%\nG1\n\n%"));

    port->written.clear();
    port->input = {0xA5}; // "%" with its parity bit
    ASSERT_EQ(Send("G1\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nG1\n\n%"));

    port->written.clear();
    settings.op2 = "Y";
    port->input = {0x93};
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped);
    EXPECT_EQ(Written(), "\x14");
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u);
}

// A stop key pressed before the job (Esc while browsing) is no press during it:
// a send the operator starts and one the NC starts both complete.
TEST_F(SendJobTest, APressBeforeTheJobDoesNotStopIt) {
    for (const char* ncStarts : {"N", "Y"}) {
        settings.Signal1 = ncStarts;
        port = std::make_shared<FakePortState>();
        port->input = {0x11};
        host.pressed = true;
        EXPECT_EQ(Send("G1\n"), SendOutcome::Completed) << "Signal1 " << ncStarts;
        EXPECT_EQ(Written(), Iso("%\nG1\n\n%")) << "Signal1 " << ncStarts;
    }
}

TEST_F(SendJobTest, StopPathsAllLogAndSendDc4) {
    host.answers = {7}; // No in the start question
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped);
    EXPECT_EQ(Written(), "\x14");
    EXPECT_EQ(host.status[3], "送信中止しました。");
    EXPECT_EQ(host.messageLine, "送信中止しました。!!");
    EXPECT_EQ(host.messageColour, MessageColour::Red);
    EXPECT_EQ(window.returnToIdleMs, 1000);
    EXPECT_EQ(window.marksCleared, 1);
    EXPECT_TRUE(port->closed);

    port = std::make_shared<FakePortState>();
    ASSERT_EQ(Send(""), SendOutcome::Stopped) << "empty data view";
    EXPECT_EQ(Written(), "\x14");

    portMissing = true;
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped) << "port that does not open";
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes.back().text, "COM1のポートが開きません。!!");
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 3u);
}

TEST_F(SendJobTest, PuncherFeedsLeaderBetweenProgramsAndTrailer) {
    settings.Puncher = "Y";
    settings.Feed = "50";
    settings.Feed1 = "25";
    // A puncher line is 4800,8,N,2 whatever Speed1 says, but Speed1's 7 data bits
    // still send every character unchanged.
    settings.Speed1 = "19200,7,E,1";
    ASSERT_EQ(Send("O1\nG1\nM30\nO2\nO3\n"), SendOutcome::Completed);
    auto blanks = [](int n) { return std::string(size_t(n), ' '); };
    EXPECT_EQ(Written(), blanks(20) + "%\nO1\nG1\nM30\n" + blanks(10) + "O2\n" + blanks(10) +
                             "O3\n\n%" + blanks(20) + "\x14");
    EXPECT_EQ(port->dcb.BaudRate, 4800);
}

TEST_F(SendJobTest, PreSendBlanksWaitAndCharacterInterval) {
    settings.Send_Before = 1;
    ASSERT_EQ(Send("G1\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), std::string(200, '\xA0') + Iso("%\nG1\n\n%"));

    port->written.clear();
    settings.Send_Before = 2;
    settings.Send_SP_Cut = "Y";
    settings.InvTime = 20;
    host.sleeps.clear();
    ASSERT_EQ(Send("G1 X2\n"), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nG1X2\n\n%")) << "no blank reaches the line";
    EXPECT_EQ(host.sleeps.front(), 1000);
    // After each of the five characters of the line, not after its line feed nor
    // after the start and end characters.
    EXPECT_EQ(std::count(host.sleeps.begin(), host.sleeps.end(), 20), 5);
}

TEST_F(SendJobTest, StopKeyWhileWaitingForTheNcAndWhileSending) {
    settings.Signal1 = "Y";
    host.onEvents = [](FakeTransferHost& h) {
        if (h.events == 3)
            h.pressed = true;
    };
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped);
    EXPECT_EQ(host.status[3], "送信中止しました。");
    EXPECT_GE(host.releases, 1);

    port = std::make_shared<FakePortState>();
    settings.Signal1 = "N";
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "G1X" + std::to_string(i) + "\n";
    window.onSelect = [&](size_t index) {
        if (index == 20)
            host.held = true;
    };
    ASSERT_EQ(Send(text), SendOutcome::Stopped);
    std::string written = Written();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\x14');
    EXPECT_EQ(Iso("%\n" + text).rfind(written.substr(0, written.size() - 1), 0), 0u)
        << "what went out before the stop is the start of the stream";
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 2u);
}

TEST_F(SendJobTest, Dc3PausesAndDc1ResumesWithNothingLostOrDoubled) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "N" + std::to_string(i) + "G1X1.5\n";
    bool dc3Sent = false, dc1Sent = false;
    size_t writtenAtPause = 0;
    int pausedEvents = 0;
    window.onSelect = [&](size_t index) {
        if (index == 10 && !dc3Sent) {
            port->input.push_back(0x93);
            dc3Sent = true;
        }
    };
    host.onEvents = [&](FakeTransferHost&) {
        if (!dc3Sent || dc1Sent || !port->input.empty() || line.SendingAllowed())
            return;
        if (++pausedEvents == 1)
            writtenAtPause = port->written.size();
        if (pausedEvents == 50) {
            EXPECT_EQ(port->written.size(), writtenAtPause) << "nothing written while paused";
            port->input.push_back(0x11);
            dc1Sent = true;
        }
    };
    ASSERT_EQ(Send(text), SendOutcome::Completed);
    EXPECT_TRUE(dc1Sent);
    EXPECT_EQ(Written(), Iso("%\n" + text + "\n%"));
}

TEST_F(SendJobTest, ThreeMarkedFilesAndAnEmptyFileEndsTheSeries) {
    window.files = {{"B.NC", "G2\n"}, {"C.NC", "G3\n"}, {"E.NC", ""}};
    SendRequest request;
    request.fileBeingSent = "A.NC";
    request.multiSend = true;
    request.queue = {"A.NC", "B.NC", "C.NC"};
    ASSERT_EQ(Send("G1\n", request), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nG1\nG2\nG3\n\n%")) << "start characters only once";
    EXPECT_EQ(window.highlighted, (std::vector<int>{1, 2}));
    std::string log = Log();
    EXPECT_EQ(Count(log, "送信　　完了　"), 3u);
    EXPECT_LT(log.find("/nc/A.NC"), log.find("/nc/B.NC"));
    EXPECT_LT(log.find("/nc/B.NC"), log.find("/nc/C.NC"));
    EXPECT_EQ(host.status[0], "");

    port->written.clear();
    request.queue = {"A.NC", "E.NC", "C.NC"};
    ASSERT_EQ(Send("G1\n", request), SendOutcome::Completed);
    EXPECT_EQ(Written(), Iso("%\nG1\n\n%"));
    EXPECT_EQ(window.loaded.back(), "E.NC");
    // Cut short, the series is not reported as sent in full: the empty file is
    // logged as stopped and a warning names it and the files left unsent.
    log = Log();
    EXPECT_EQ(Count(log, "送信　　完了　"), 4u);
    EXPECT_EQ(Count(log, "送信　　中止　"), 1u);
    const size_t stopped = log.find("送信　　中止　");
    EXPECT_NE(log.substr(stopped, log.find('\n', stopped) - stopped).find("/nc/E.NC"),
              std::string::npos);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes.back().text,
              "E.NCは空のファイルか読めないため、このファイルから2ファイルを送信していません。");
}

TEST_F(SendJobTest, LineThatVanishesMidSendStops) {
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "G1X" + std::to_string(i) + "\n";
    window.onSelect = [&](size_t index) {
        if (index == 5)
            port->gone = true;
    };
    ASSERT_EQ(Send(text), SendOutcome::Stopped);
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u);
    EXPECT_TRUE(port->closed);
}

TEST_F(SendJobTest, ModemLinesStopTheSend) {
    settings.op6 = "Y";
    port->modemBits = kModemCts | kModemRlsd; // DSR off
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped);
    EXPECT_EQ(Written(), "") << "with op6 no byte goes out while DSR is off";

    port = std::make_shared<FakePortState>();
    settings.op6 = "N";
    settings.Signal1 = "Y";
    port->modemBits = kModemCts | kModemDsr; // carrier off
    port->input = {0x11};
    ASSERT_EQ(Send("G1\n"), SendOutcome::Stopped);
    EXPECT_EQ(Written(), Iso("%") + "\x14") << "the byte that noticed it still goes out";
}

TEST_F(SendJobTest, ExitAfterTransferClosesTheWindowAndSwitchesOffOnlyOnCompletion) {
    int powerOffs = 0;
    SetPowerOffForTest([&] {
        ++powerOffs;
        return true;
    });
    SendRequest request;
    request.exitAfterTransfer = true;
    settings.Power_Off = "N";
    ASSERT_EQ(Send("G1\n", request), SendOutcome::Completed);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(powerOffs, 0);

    settings.Power_Off = "Y";
    ASSERT_EQ(Send("G1\n", request), SendOutcome::Completed);
    EXPECT_EQ(window.closes, 2);
    EXPECT_EQ(powerOffs, 1);

    host.answers = {7};
    ASSERT_EQ(Send("G1\n", request), SendOutcome::Stopped);
    EXPECT_EQ(window.closes, 2);
    EXPECT_EQ(powerOffs, 1);
}

// The log names the folder and the power-off rule the send started with, even when
// the settings change while it runs.
TEST_F(SendJobTest, LogFolderAndPowerOffAreTakenWhenTheSendStarts) {
    int powerOffs = 0;
    SetPowerOffForTest([&] {
        ++powerOffs;
        return true;
    });
    window.onSelect = [this](size_t) {
        settings.DirPath = "/elsewhere";
        settings.Power_Off = "Y";
    };
    SendRequest request;
    request.exitAfterTransfer = true;
    settings.Power_Off = "N";
    ASSERT_EQ(Send("G1\nG2\n", request), SendOutcome::Completed);
    EXPECT_EQ(settings.DirPath, "/elsewhere") << "the change did happen during the send";
    EXPECT_NE(Log().find("　/nc/O1234.NC\n"), std::string::npos);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(powerOffs, 0);
}

TEST_F(SendJobTest, UnexpectedFailureLogsTheStopWithoutDc4AndKeepsTheMarks) {
    window.onSelect = [](size_t index) {
        if (index == 1)
            throw std::runtime_error("view gone");
    };
    ASSERT_EQ(Send("G1\nG2\n"), SendOutcome::Stopped);
    EXPECT_EQ(Written(), Iso("%\nG1\n"));
    EXPECT_EQ(window.marksCleared, 0);
    EXPECT_EQ(host.messageLine, "送信中止しました。!!");
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u);
    EXPECT_TRUE(port->closed);
}

} // namespace
