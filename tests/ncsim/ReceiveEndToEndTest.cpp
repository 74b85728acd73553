// The receive job end to end: the real serial module on a pseudo-terminal, the
// NC controller simulator punching at the other end, files on disk.
#include "NcSim.h"

#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/Corpus.h"
#include "support/FakeTransferHost.h"
#include "support/TempDir.h"
#include "transfer/ReceiveJob.h"
#include "transfer/ReceiveText.h"
#include "transfer/SerialLine.h"
#include "transfer/TapeCode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using ncsim::SimLine;
using ncsim::TapeKind;

class Window : public ReceiveWindow {
public:
    std::vector<std::string> lines;
    std::vector<std::string> programs;
    int relists = 0;

    void AppendDataLine(std::string_view line) override { lines.emplace_back(line); }
    void ClearDataView() override { lines.clear(); }
    void ListProgram(int, std::string_view line) override { programs.emplace_back(line); }
    void SetProgress(int) override {}
    void ShowReceivePanel() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void RequestRelist() override { ++relists; }
    void CloseMainWindow() override {}
};

std::string Encode(std::string_view text, TapeKind kind) {
    SendCode code = kind == TapeKind::Eia ? SendCode::Eia : SendCode::Iso;
    std::string bytes;
    for (unsigned char c : text) {
        if (auto b = EncodeByte(c, code))
            bytes.push_back(char(*b));
    }
    return bytes;
}

class ReceiveEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(programDir.path());
        std::string error;
        auto line = SimLine::OpenPty(&error);
        ASSERT_TRUE(line) << error;
        sim.emplace(std::move(*line));
        settings.DirPath = work.path().string();
        settings.Port2 = "COM2";
        settings.Speed2 = "9600,8,N,1";
        settings.Ports = {{"COM2", sim->DeviceName()}};
        settings.Mask = "*.NC";
        settings.StartChar = "N";
        settings.EndChar = "N";
        settings.Add_No = "Y";
        settings.R_Code = 0;
        // A test that goes wrong ends by the stop key instead of hanging.
        host.onEvents = [this](FakeTransferHost& h) {
            if (++events > 50000000)
                h.held = true;
            if (onEvent)
                onEvent();
        };
    }
    void TearDown() override {
        SetFileWriteFaultForTest(nullptr);
        SetProgramFolder({});
    }

    // Runs one reception while farEnd plays the controller on its own thread.
    ReceiveOutcome Receive(std::function<void()> farEnd, ReceiveRequest request = {}) {
        stop = false;
        // What the last reception left on the line (its closing flush) is not a new opening.
        for (std::string stale; sim->Read(stale, 0) != SimLine::ReadResult::Nothing;)
            stale.clear();
        sim->TakeOpened();
        std::thread far(std::move(farEnd));
        SerialLine line(host, settings);
        ReceiveOutcome outcome = ReceiveJob(host, window, line, settings).Run(request);
        stop = true;
        far.join();
        return outcome;
    }
    std::function<void()> Punch(std::string text, TapeKind code = TapeKind::Iso, int leader = 10) {
        return [this, text, code, leader] {
            ncsim::PunchOptions options;
            options.code = code;
            options.leader = leader;
            options.waitForOpen = true;
            punched = ncsim::Punch(*sim, text, options, &stop);
        };
    }
    // Bytes exactly as given (already in tape code), once the line is open.
    std::function<void()> PunchRaw(std::string bytes) {
        return [this, bytes] {
            while (!sim->TakeOpened() && !stop) {
                std::string ignored;
                sim->Read(ignored, 5);
            }
            sim->Write(bytes);
        };
    }
    std::string File(std::string_view name) const { return TempDir::Read(work / name); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(work.path(), ec))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Log() const { return TempDir::Read(programDir / "Dravik.log"); }

    TempDir programDir;
    TempDir work;
    TSettings settings;
    FakeTransferHost host;
    Window window;
    std::optional<SimLine> sim;
    std::atomic<bool> stop{false};
    ncsim::PunchReport punched;
    long events = 0;
    std::function<void()> onEvent;
};

const char kTape[] = "O0001(A)\nG01X10.Y20.F100\nM30\n";

TEST_F(ReceiveEndToEnd, TapeExampleInBothSaveModes) {
    ASSERT_EQ(Receive(Punch(kTape)), ReceiveOutcome::Completed);
    EXPECT_EQ(Files(), std::vector<std::string>{"O0001_001.NC"});
    EXPECT_EQ(File("O0001_001.NC"), "O0001(A)\r\nG01 X10. Y20. F100\r\nM30\r\n");
    EXPECT_EQ(window.programs, std::vector<std::string>{"O0001(A)"});
    EXPECT_EQ(punched.end, ncsim::EndReason::Dc4);

    settings.EndChar = "Y";
    ReceiveRequest named{true, (work / "PRG.NC").string(), "PRG.NC", false};
    ASSERT_EQ(Receive(Punch(kTape), named), ReceiveOutcome::Completed);
    EXPECT_EQ(File("PRG.NC"), "O0001(A)\r\nG01 X10. Y20. F100\r\nM30\r\n%\r\n");
    EXPECT_EQ(host.status[0], "");
    EXPECT_NE(Log().find("受信　　完了　"), std::string::npos);
    EXPECT_NE(Log().find((work / "PRG.NC").string()), std::string::npos);
    EXPECT_EQ(window.relists, 2);
}

TEST_F(ReceiveEndToEnd, TwoProgramsWithStartAndEndCharacters) {
    settings.StartChar = "Y";
    settings.EndChar = "Y";
    ASSERT_EQ(Receive(Punch("O0001\nG1\nM30\nO0002\nG2\nM30\n")), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O0001_001.NC"), "%\r\nO0001\r\nG1\r\nM30\r\n%\r\n");
    EXPECT_EQ(File("O0002_002.NC"), "%\r\nO0002\r\nG2\r\nM30\r\n%\r\n");
}

TEST_F(ReceiveEndToEnd, ColonChangeAndDroppedLines) {
    settings.OChange = "Y";
    settings.Add_No = "N";
    ASSERT_EQ(Receive(Punch("O1234(B)\nN1O&FW\n:&FW2\nX&HE:3\nG1\nM30\n")),
              ReceiveOutcome::Completed);
    EXPECT_EQ(Files(), std::vector<std::string>{"O1234.NC"});
    EXPECT_EQ(File("O1234.NC"), ":1234(B)\r\nG1\r\nM30\r\n");
}

TEST_F(ReceiveEndToEnd, EiaTapeIsDetected) {
    ASSERT_EQ(Receive(Punch(kTape, TapeKind::Eia)), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O0001_001.NC"), "O0001(A)\r\nG01 X10. Y20. F100\r\nM30\r\n");
}

// 0x13 is the EIA code of the digit 3. The receive line never lets the tty
// driver take it (or any other byte) as its flow-control stop character,
// whichever stop character DC3(0X93) chooses.
TEST_F(ReceiveEndToEnd, EiaDigitThreeSurvivesEitherStopCharacter) {
    settings.R_Code = 2;
    for (const char* dc3 : {"N", "Y"}) {
        SCOPED_TRACE(dc3);
        settings.DC30X93 = dc3;
        std::filesystem::remove(work / "O0003_001.NC");
        ASSERT_EQ(Receive(Punch("O0003\nG1X3.\nM30\n", TapeKind::Eia)), ReceiveOutcome::Completed);
        EXPECT_EQ(File("O0003_001.NC"), "O0003\r\nG1 X3.\r\nM30\r\n");
        EXPECT_EQ(window.programs.back(), "O0003");
    }
}

// An ISO tape whose leader "%" carries its parity bit: that byte looks like EIA
// and decodes to nothing; the line feed after it starts the reception in ISO.
TEST_F(ReceiveEndToEnd, IsoPercentWithParityIsSkipped) {
    ASSERT_EQ(Encode("%", TapeKind::Iso), "\xA5");
    std::string noise("\xFF\x83\x7A\xFE\x91\x00", 6);
    ASSERT_EQ(Receive(PunchRaw(noise + Encode("%\nO7\nG1\n%", TapeKind::Iso) + "\x14")),
              ReceiveOutcome::Completed);
    EXPECT_EQ(File("O7_001.NC"), "O7\r\nG1\r\n");
}

TEST_F(ReceiveEndToEnd, TapeReaderIsStartedOnTheSendLine) {
    std::string error;
    auto reader = SimLine::OpenPty(&error);
    ASSERT_TRUE(reader) << error;
    settings.Reader = "Y";
    settings.Port1 = "COM1";
    settings.Speed1 = "19200,7,E,1";
    settings.Ports.push_back({"COM1", reader->DeviceName()});
    std::string seenByReader;
    auto farEnd = [&] {
        // The reader runs when DC1 arrives on the send line, which is then closed at
        // once; a pseudo-terminal may discard the DC1 with the close, whose flush
        // the reader sees instead (the DC1 itself is checked on the fake port).
        bool used = false;
        while (seenByReader.find('\x11') == std::string::npos && !used && !stop) {
            reader->Read(seenByReader, 20);
            used = reader->TakeOpened();
        }
        Punch(kTape)();
    };
    ASSERT_EQ(Receive(farEnd), ReceiveOutcome::Completed);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "テープリーダーにＮＣテープを\nセットしてください。");
    EXPECT_EQ(File("O0001_001.NC"), "O0001(A)\r\nG01 X10. Y20. F100\r\nM30\r\n");

    // The receive line ran at 4800,8,N,2, not at Speed2.
    int fd = ::open(sim->DeviceName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetispeed(&t), speed_t(B4800));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & PARENB, 0u);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST_F(ReceiveEndToEnd, ManyLinesAreSavedThreeTimes) {
    std::string text = "O1\n";
    std::string expected = "O1\r\n";
    for (int i = 0; i < 2500; ++i) {
        text += "X" + std::to_string(i) + "\n";
        expected += "X" + std::to_string(i) + "\r\n";
    }
    int saves = 0;
    SetFileWriteFaultForTest([&](const std::filesystem::path& path) {
        saves += path.filename() == "LONG.NC";
        return 0;
    });
    ReceiveRequest named{true, (work / "LONG.NC").string(), "LONG.NC", false};
    ASSERT_EQ(Receive(Punch(text), named), ReceiveOutcome::Completed);
    EXPECT_EQ(saves, 1 + 3) << "created, then saved after 1000, 2000 and at the end";
    EXPECT_EQ(File("LONG.NC"), expected);
}

TEST_F(ReceiveEndToEnd, EscBeforeTheStartOfASecondReceptionDeletesNothing) {
    ASSERT_EQ(Receive(Punch(kTape)), ReceiveOutcome::Completed);
    ASSERT_EQ(Files(), std::vector<std::string>{"O0001_001.NC"});
    onEvent = [this] { host.pressed = true; };
    EXPECT_EQ(Receive(PunchRaw("\x01\x01")), ReceiveOutcome::Stopped);
    EXPECT_EQ(Files(), std::vector<std::string>{"O0001_001.NC"});
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
}

TEST_F(ReceiveEndToEnd, EscDuringTheReception) {
    const std::string tape = Encode("%\nO1\nG1\nM30\nO2\nG2\n", TapeKind::Iso);
    onEvent = [this] {
        if (!window.lines.empty() && window.lines.back() == "G2")
            host.held = true;
    };
    EXPECT_EQ(Receive(PunchRaw(tape)), ReceiveOutcome::Stopped);
    EXPECT_EQ(Files(), std::vector<std::string>{"O1_001.NC"}) << "the program in progress goes";
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);

    settings.op5 = "Y";
    window = {};
    std::filesystem::remove(work / "O1_001.NC");
    EXPECT_EQ(Receive(PunchRaw(tape)), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nG1\r\nM30\r\n");
    EXPECT_EQ(File("O2_002.NC"), "O2\r\nG2\r\n");
    EXPECT_EQ(host.messageLine, "受信完了しました。!!");
    EXPECT_NE(Log().find("受信　　完了　"), std::string::npos);
}

TEST_F(ReceiveEndToEnd, Dc4EndsAndSoDoesSilenceAfterTheClosingPercent) {
    ASSERT_EQ(Receive(PunchRaw(Encode("%\nO1\nM30\n\x14", TapeKind::Iso))),
              ReceiveOutcome::Completed);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");

    settings.EndChar = "Y";
    ASSERT_EQ(Receive(PunchRaw(Encode("%\nO2\nM30\n%", TapeKind::Iso))), ReceiveOutcome::Completed);
    EXPECT_EQ(File("O2_001.NC"), "O2\r\nM30\r\n%\r\n") << "the end line, not the tape's";
}

// A reference of the reformatting, written out plainly: one line of a file as
// it is stored after reception with Read_SP_Cut "N".
std::string Reformatted(std::string_view line) {
    std::string out;
    bool wordStart = true;
    bool comment = false;
    for (unsigned char c : line) {
        if (!IsAllowedReceiveChar(c))
            continue;
        comment = comment || c == '(';
        if (std::string_view("0123456789.+-/*[]()=").find(char(c)) != std::string_view::npos) {
            out += char(c);
            wordStart = false;
        } else if (comment || wordStart) {
            out += char(c);
        } else if (c != ' ') {
            out += ' ';
            out += char(c);
            wordStart = true;
        }
        comment = comment && c != ')';
    }
    return std::string(TrimLine(out));
}

TEST_F(ReceiveEndToEnd, FanucPunchOutWithLfCrCrLineEnds) {
    const std::filesystem::path source = CorpusFolder() / "01_fanucbackup_ALL-PROG.TXT";
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "corpus not present";
    const std::string text = TempDir::Read(source);
    settings.Add_No = "N";
    settings.EndChar = "Y";
    ASSERT_EQ(Receive(PunchRaw(Encode(text, TapeKind::Iso) + "\x14")), ReceiveOutcome::Completed);

    // Expected files: the source split at its program lines, reformatted.
    TextDocument document;
    document.SetText(text);
    std::map<std::string, std::string> expected;
    std::string current;
    for (size_t i = 0; i < document.LineCount(); ++i) {
        std::string line = Reformatted(document.Line(i));
        if (line == "%" || (current.empty() && line.empty()))
            continue;
        if (IsProgramLine(line))
            current = line.substr(0, line.find('(')) + ".NC";
        expected[current] += line + "\r\n";
    }
    for (auto& [name, body] : expected)
        body += "%\r\n";
    ASSERT_EQ(expected.size(), 32u);
    EXPECT_EQ(Files().size(), 32u);
    for (const auto& [name, body] : expected)
        EXPECT_EQ(File(name), body) << name;
}

TEST_F(ReceiveEndToEnd, LineOfOneMegabyteWithoutLineFeed) {
    std::string run;
    for (int i = 0; i < (1 << 19); ++i)
        run += "X1";
    ASSERT_EQ(Receive(PunchRaw(Encode("%\nO1\n" + run + "\nM30\n%", TapeKind::Iso) + "\x14")),
              ReceiveOutcome::Completed);
    const std::string file = File("O1_001.NC");
    EXPECT_EQ(file.size(), 4 + (3u << 19) - 1 + 2 + 5);
    EXPECT_EQ(file.substr(0, 11), "O1\r\nX1 X1 X");
    EXPECT_EQ(file.substr(file.size() - 10), " X1\r\nM30\r\n");
}

TEST_F(ReceiveEndToEnd, FullDiskStopsAndKeepsCompletedPrograms) {
    std::string text = "O1\nM30\nO2\n";
    for (int i = 0; i < 1500; ++i)
        text += "X" + std::to_string(i) + "\n";
    int writesOfO2 = 0;
    SetFileWriteFaultForTest([&](const std::filesystem::path& path) {
        // O2's file is created, then its first save finds the disk full.
        return path.filename() == "O2_002.NC" && ++writesOfO2 == 2 ? ENOSPC : 0;
    });
    EXPECT_EQ(Receive(Punch(text)), ReceiveOutcome::Stopped);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("No space left on device"), std::string::npos);
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
    EXPECT_NE(Log().find("O2_002.NC"), std::string::npos);
}

TEST_F(ReceiveEndToEnd, WorkingDirectoryRemovedDuringTheReception) {
    std::string text = "O1\nM30\nO2\n";
    for (int i = 0; i < 1500; ++i)
        text += "X" + std::to_string(i) + "\n";
    onEvent = [this] {
        if (window.programs.size() == 2 && std::filesystem::exists(work.path()))
            std::filesystem::remove_all(work.path());
    };
    EXPECT_EQ(Receive(Punch(text)), ReceiveOutcome::Stopped);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
}

// The far end goes away in the middle of the second program (the pseudo-terminal
// is closed, as when a USB adapter is pulled).
TEST_F(ReceiveEndToEnd, FarEndVanishing) {
    std::atomic<bool> secondProgramStarted{false};
    onEvent = [&] {
        if (window.programs.size() == 2)
            secondProgramStarted = true;
    };
    auto farEnd = [&] {
        PunchRaw(Encode("%\nO1\nM30\nO2\nG1\n", TapeKind::Iso))();
        while (!secondProgramStarted && !stop) {
            std::string ignored;
            sim->Read(ignored, 5);
        }
        sim->Drop();
    };
    EXPECT_EQ(Receive(farEnd), ReceiveOutcome::Stopped);
    EXPECT_EQ(Files(), std::vector<std::string>{"O1_001.NC"});
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "通信回線が切断されました。受信を中止します。");
    EXPECT_EQ(host.messageLine, "受信を中止しました。!!");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos);
}

} // namespace
