// End to end: the real dravik-cli binary as a child process, as a shell or a
// CAM post-processor runs it, with DRAVIK_HOME in a temporary folder whose
// Dravik.INI maps COM1 to a pseudo-terminal. The NC controller simulator plays
// the far end on a thread; no display variable reaches the child.
#include "NcSim.h"

#include "support/CliChild.h"
#include "support/Corpus.h"
#include "support/IsoBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <pty.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

std::string CorpusText(const char* name) {
    return TempDir::Read(CorpusFile(name));
}

// The lines of a text without their line ends (LF, CR LF or the Fanuc LF CR CR),
// as the data view holds them.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r') {
            line += c;
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        while (i + 1 < text.size() && text[i + 1] == '\r')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The words of the program lines, blanks left out: what a reception must keep
// while it places its own blanks between the words (lower-case letters are
// never received).
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    for (const std::string& line : Lines(text)) {
        std::string word;
        for (char c : line)
            if (c != ' ' && !(c >= 'a' && c <= 'z'))
                word += c;
        if (!word.empty() && word != "%")
            words.push_back(word);
    }
    return words;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto opened = ncsim::SimLine::OpenPty(&error);
        ASSERT_TRUE(opened) << error;
        sim.emplace(std::move(*opened));
        fs::create_directory(home / "work");
        WriteIni("");
    }
    void TearDown() override {
        stop = true;
        if (far.joinable())
            far.join();
    }
    // Dravik.INI with COM1 on the simulator's pseudo-terminal, a fast line and
    // the working folder in the temp folder; extra adds or replaces keys.
    void WriteIni(const std::string& extra) {
        home.Write("Dravik.INI", "[Setting]\r\nPort1=COM1\r\nPort2=COM1\r\n"
                                 "Speed1=19200,8,N,1\r\nSpeed2=19200,8,N,1\r\nDirPath=" +
                                     (home / "work").string() +
                                     "\r\nSignal1=Y\r\nStartChar=Y\r\nEndChar=Y\r\n" + extra +
                                     "[Ports]\r\nCOM1=" + sim->DeviceName() + "\r\n");
    }
    CliResult Run(const std::vector<std::string>& args) {
        CliChild child(args, home.path(), home / "work");
        const int code = child.Wait();
        return {code, child.Out(), child.Err()};
    }
    void Receiving() {
        far = std::thread([this] { report = ncsim::Receive(*sim, options, &stop); });
    }
    void Punching(std::string text) {
        punch.waitForOpen = true;
        far = std::thread([this, text = std::move(text)] {
            punchReport = ncsim::Punch(*sim, text, punch, &stop);
        });
    }
    void JoinFarEnd() {
        if (far.joinable())
            far.join();
    }
    std::string Log() const { return TempDir::Read(home / "Dravik.log"); }
    // Whether the program opened the line or wrote to it since the last look.
    bool LineTouched() {
        std::string got;
        // A status packet (the opening's purge) reads as nothing: read until silent.
        for (int i = 0; i < 100 && sim->Read(got, 20) != ncsim::SimLine::ReadResult::Hangup; ++i) {
        }
        return sim->TakeOpened() || !got.empty();
    }

    TempDir home;
    std::optional<ncsim::SimLine> sim;
    ncsim::ReceiveOptions options;
    ncsim::ReceiveReport report;
    ncsim::PunchOptions punch;
    ncsim::PunchReport punchReport;
    std::atomic<bool> stop{false};
    std::thread far;
};

TEST_F(CliEndToEnd, SendsACorpusFileByteForByteAndLogsIt) {
    const fs::path file = home.Write("work/O9250.NC", CorpusText("19_brown_O9250_crlf.nc"));
    options.start = '\x11';
    Receiving();
    const CliResult run = Run({"send", "O9250.NC"});
    JoinFarEnd();
    ASSERT_EQ(run.code, 0) << run.err;
    // Every line once, the file's own "%" lines standing for the job's framing.
    std::string expected = "%\n";
    for (const std::string& line : Lines(CorpusText("19_brown_O9250_crlf.nc")))
        if (line != "%")
            expected += line + "\n";
    expected += "\n%";
    EXPECT_EQ(report.program, expected);
    EXPECT_EQ(report.raw.substr(report.raw.size() - 3), Iso("\n\n%"));
    EXPECT_TRUE(report.parityErrors.empty());
    EXPECT_NE(Log().find("送信　　完了　"), std::string::npos) << Log();
    EXPECT_NE(Log().find(file.string()), std::string::npos);
    // Not a terminal: no progress line is drawn.
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
}

TEST_F(CliEndToEnd, SendsSeveralFilesOneAfterTheOtherInOneRun) {
    home.Write("work/A.NC", "O1\r\nG1X1.\r\nM30\r\n");
    fs::create_directory(home / "other");
    const fs::path b = home.Write("other/B.NC", "O2\nG1Y2.\nM30\n");
    options.start = '\x11';
    Receiving();
    const CliResult run = Run({"send", "--quiet", "A.NC", b.string()});
    JoinFarEnd();
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(report.program, "%\nO1\nG1X1.\nM30\nO2\nG1Y2.\nM30\n\n%");
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 2u);
    EXPECT_NE(Log().find(b.string()), std::string::npos);
}

TEST_F(CliEndToEnd, ProgressOnlyOnATerminalAndNeverWhenQuiet) {
    home.Write("work/O9250.NC", CorpusText("19_brown_O9250_crlf.nc"));
    options.start = '\x11';
    struct Case {
        std::vector<std::string> args;
        bool progress;
    };
    const Case cases[] = {{{"send", "O9250.NC"}, true}, {{"send", "-q", "O9250.NC"}, false}};
    for (const Case& c : cases) {
        int master = -1, terminal = -1;
        ASSERT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
        Receiving();
        std::string shown;
        CliChild child(c.args, home.path(), home / "work", terminal);
        ::close(terminal);
        // The terminal is read while the child writes, so that it never fills.
        std::thread reader([&] {
            char buffer[512];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                shown.append(buffer, size_t(n));
        });
        EXPECT_EQ(child.Wait(), 0);
        reader.join();
        ::close(master);
        JoinFarEnd();
        EXPECT_EQ(shown.find("\r送信 O9250.NC") != std::string::npos, c.progress) << shown;
        EXPECT_EQ(shown.find(" B/s  残り ") != std::string::npos, c.progress) << shown;
        EXPECT_EQ(shown.find("送信完了しました。") != std::string::npos, c.progress) << shown;
        if (c.progress) {
            // Said once, and no progress line drawn again after it.
            const size_t done = shown.find("送信完了しました。");
            EXPECT_EQ(shown.find("送信完了しました。", done + 1), std::string::npos) << shown;
            EXPECT_EQ(shown.find("\r送信 ", done), std::string::npos) << shown;
        }
    }
}

TEST_F(CliEndToEnd, SigintMidSendTakesTheStopPath) {
    home.Write("work/BIG.NC", CorpusText("32_camotics_cameo_742k.nc"));
    options.start = '\x11';
    options.endOnPercent = false; // the DC4 of the stop path ends the reception
    options.baud = 9600;          // a controller slower than the line: DC3 and DC1 come
    Receiving();
    CliChild child({"send", "BIG.NC"}, home.path(), home / "work");
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (sim->Received() < 3000 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(sim->Received(), 3000u);
    child.Signal(SIGINT);
    EXPECT_EQ(child.Wait(), 1);
    JoinFarEnd();
    EXPECT_EQ(report.end, ncsim::EndReason::Dc4);
    EXPECT_LT(report.raw.size(), 742491u);
    EXPECT_NE(Log().find("送信　　中止　"), std::string::npos) << Log();
    EXPECT_NE(child.Err().find("シグナル"), std::string::npos) << child.Err();
}

TEST_F(CliEndToEnd, SigtermWhileAReceptionWaitsStopsItWithDc4) {
    // The far end reads all the time, as a controller's port does: a pseudo-terminal
    // keeps what nobody has read, and the close would discard the DC4 otherwise.
    std::atomic<bool> opened{false}, done{false};
    std::string got;
    far = std::thread([&] {
        while (!done) {
            sim->Read(got, 20);
            opened = opened || sim->TakeOpened();
        }
    });
    CliChild child({"receive", "--quiet"}, home.path(), home / "work");
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!opened && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(opened);
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Wait(), 1);
    done = true;
    JoinFarEnd();
    EXPECT_EQ(got, "\x14");
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos) << Log();
    EXPECT_NE(child.Err().find("受信を中止しました。: シグナル"), std::string::npos) << child.Err();
}

TEST_F(CliEndToEnd, ReceivesEveryProgramIntoItsOwnFile) {
    const std::string tape = CorpusText("01_fanucbackup_ALL-PROG.TXT");
    fs::create_directory(home / "in");
    Punching(tape);
    const CliResult run = Run({"receive", "--dir", "../in", "--no-add-number", "--quiet"});
    JoinFarEnd();
    ASSERT_EQ(run.code, 0) << run.err;
    // One file per program line of the tape, each holding that program's lines.
    std::vector<std::string> programs;
    for (const std::string& line : Lines(tape))
        if (!line.empty() && line[0] == 'O')
            programs.push_back(line.substr(0, line.find('(')));
    ASSERT_EQ(programs.size(), 32u);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(home / "in"))
        files += entry.is_regular_file();
    EXPECT_EQ(files, programs.size());
    for (const std::string& program : programs)
        EXPECT_TRUE(fs::exists(home / "in" / (program + ".NC"))) << program;
    const std::string first = TempDir::Read(home / "in" / (programs[0] + ".NC"));
    EXPECT_EQ(first.rfind("%\r\n" + programs[0] + "(", 0), 0u) << first.substr(0, 40);
    EXPECT_NE(Log().find("受信　　完了　"), std::string::npos) << Log();
}

TEST_F(CliEndToEnd, SigintMidReceptionKeepsTheFinishedPrograms) {
    const std::string tape = CorpusText("01_fanucbackup_ALL-PROG.TXT");
    fs::create_directory(home / "in");
    punch.baud = 57600; // paced, so that the stop comes in the middle of the tape
    Punching(tape);
    CliChild child({"receive", "--dir", "../in", "--no-add-number"}, home.path(), home / "work");
    auto files = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home / "in"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (files().size() < 3 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(5ms);
    child.Signal(SIGINT);
    EXPECT_EQ(child.Wait(), 1);
    stop = true;
    JoinFarEnd();
    // The program being received is gone; each finished one holds all its words.
    std::map<std::string, std::vector<std::string>> programs;
    std::string current;
    for (const std::string& word : Words(tape)) {
        if (word[0] == 'O')
            current = word.substr(0, word.find('(')) + ".NC";
        programs[current].push_back(word);
    }
    const std::vector<std::string> kept = files();
    EXPECT_GE(kept.size(), 2u);
    EXPECT_LT(kept.size(), programs.size());
    for (const std::string& name : kept)
        EXPECT_EQ(Words(TempDir::Read(home / "in" / name)), programs[name]) << name;
    EXPECT_NE(Log().find("受信　　中止　"), std::string::npos) << Log();
}

TEST_F(CliEndToEnd, NamedReceiveTwiceAsksBeforeReplacing) {
    const std::string tape = CorpusText("01_fanucbackup_ALL-PROG.TXT");
    Punching(tape);
    CliResult run = Run({"receive", "--name", "KEEP"});
    JoinFarEnd();
    ASSERT_EQ(run.code, 0) << run.err;
    // Every program of the tape in the one named file, in CR LF lines between "%" lines.
    const std::string program = TempDir::Read(home / "work/KEEP");
    EXPECT_EQ(Words(program), Words(tape));
    EXPECT_EQ(program.rfind("%\r\n", 0), 0u) << program.substr(0, 40);
    EXPECT_EQ(program.substr(program.size() - 3), "%\r\n");
    EXPECT_EQ(Count(program, "\n"), Count(program, "\r\n"));

    // The second run finds the file: without an answer it refuses before the line opens.
    LineTouched(); // forgets the first run's opening and closing DC4
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const Case cases[] = {
        {{"receive", "--name", "KEEP"}, "--yes で答えます"},
        {{"receive", "--name", "KEEP", "--no-overwrite"}, "--no-overwrite"},
    };
    for (const Case& c : cases) {
        run = Run(c.args);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("上書きしますか"), std::string::npos) << run.err;
        EXPECT_FALSE(LineTouched());
    }
    EXPECT_EQ(TempDir::Read(home / "work/KEEP"), program);

    // What a reception wrote comes back byte for byte when it is punched again.
    Punching(program);
    run = Run({"receive", "--name", "KEEP", "--yes", "-q"});
    JoinFarEnd();
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(TempDir::Read(home / "work/KEEP"), program);
    EXPECT_EQ(Count(Log(), "受信　　完了　"), 2u) << Log();
}

TEST_F(CliEndToEnd, RefusalsAndBadUsageNeverTouchTheLine) {
    home.Write("work/A.NC", "O1\nM30\n");
    home.Write("work/EMPTY.NC", "");
    home.Write("work/NUL.NC", std::string("G01\n\0G02\n", 9));
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string reason;
    };
    const Case cases[] = {
        {{"send", "MISSING.NC"}, 1, "ファイルを読めません"},
        {{"send", "A.NC", "MISSING.NC"}, 1, "MISSING.NC"},
        {{"send", "EMPTY.NC", "--yes"}, 1, "空のファイル"},
        {{"send", "NUL.NC"}, 1, "ファイル形式が違います"},
        {{"send", "A.NC", "--pc-start"}, 1, "ＮＣ装置側の準備"},
        {{"send", "A.NC", "--bogus"}, 2, "不明なオプションです: --bogus"},
        {{"send"}, 2, "FILE... がありません"},
        {{"send", "A.NC", "--speed", "9600,9,X"}, 2, "--speed"},
        {{"send", "A.NC", "--code", "ascii"}, 2, "--code"},
        {{"send", "A.NC", "--timeout", "soon"}, 2, "--timeout"},
        {{"receive", "--dir", "nowhere"}, 1, "受信フォルダーがありません"},
        {{"receive", "extra"}, 2, "余分な引数"},
        {{"split", "A.NC"}, 2, "--to が必要です"},
        {{"double", "A.NC", "--axis", "Q"}, 2, "--axis"},
        {{"fly"}, 2, "不明なコマンドです: fly"},
    };
    for (const Case& c : cases) {
        const CliResult run = Run(c.args);
        EXPECT_EQ(run.code, c.code) << c.args[0] << " " << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        // One line with the reason, and nothing on standard output.
        EXPECT_EQ(Count(run.err, "\n"), 1u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(LineTouched());
    EXPECT_FALSE(fs::exists(home / "Dravik.log"));
}

TEST_F(CliEndToEnd, ABusyPortAndASilentFarEndStopWithTheirReason) {
    home.Write("work/A.NC", "O1\nM30\n");
    {
        // Another process holds the port the way every transfer does.
        const int held = ::open(sim->DeviceName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        const CliResult run = Run({"send", "A.NC"});
        ::close(held);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find("COM1のポートが開きません。"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("他のプログラムが使用中です"), std::string::npos) << run.err;
    }
    // The simulator never starts the send: --timeout stops it as Esc would, with DC4.
    options.endOnPercent = false;
    Receiving();
    const CliResult run = Run({"send", "A.NC", "--timeout", "1"});
    stop = true;
    JoinFarEnd();
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("--timeout"), std::string::npos) << run.err;
    EXPECT_EQ(report.raw, "\x14");
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 2u) << Log();
}

TEST_F(CliEndToEnd, SplitAndJoinWriteTheWindowsOutputs) {
    const fs::path source =
        home.Write("work/PROBE.NC", CorpusText("28_probekit_fadal_O9102_L9101.NC"));
    // Split into a folder that does not exist yet: only --yes creates it.
    CliResult run = Run({"split", "PROBE.NC", "--to", "../parts"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("ディレクトリが見つかりません"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home / "parts"));
    for (int pass = 0; pass < 2; ++pass) {
        run = Run({"split", "PROBE.NC", "--to", "../parts", "--yes", "-q"});
        ASSERT_EQ(run.code, 0) << run.err;
    }
    // The program line is O9102; "L9101" calls a subroutine here but starts a
    // program line by the split's rule, so each "L" line heads a file of its own.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home / "parts"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // The second run replaces the first one's files rather than adding variants.
    ASSERT_EQ(names.size(), 9u);
    EXPECT_EQ(names.front(), "L9101 R1+1. X+R6. Y+R7. F+R4. P1 .NC");
    EXPECT_EQ(names[7], "L9101 R1+2. _2.NC"); // the same name twice in one run
    EXPECT_TRUE(fs::exists(home / "parts/O9102.NC"));

    // O9102's file holds the source's lines up to the first "L" line, "%" lines
    // dropped; joined into a name beside the current folder, CR LF after each line.
    std::string program;
    for (const std::string& line : Lines(CorpusText("28_probekit_fadal_O9102_L9101.NC"))) {
        if (!line.empty() && line[0] == 'L')
            break;
        if (line.empty() || line[0] != '%')
            program += line + "\r\n";
    }
    run = Run({"join", "../parts/O9102.NC", "../parts/O9102.NC", "--name", "../ALL", "-q"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(TempDir::Read(home / "ALL.NC"), program + program);
    run = Run({"join", "../parts/O9102.NC", "--name", "../ALL"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("上書きしますか"), std::string::npos) << run.err;
    run = Run({"join", "PROBE.NC", "--name", "PROBE"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("上書き"), std::string::npos) << run.err;
    run = Run({"join", "PROBE.NC", "--name", "PROBE", "--yes"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("選択したﾌｧｲﾙに存在します"), std::string::npos) << run.err;
    EXPECT_EQ(TempDir::Read(source), CorpusText("28_probekit_fadal_O9102_L9101.NC"));
}

TEST_F(CliEndToEnd, DoubleWritesTheUnderscore2FileOrNothing) {
    // The "_2" name beside the source, X doubled in every block; a second run replaces it.
    home.Write("work/D.NC", "O5\r\nG1X1.25Y3.\r\nX-0.5\r\nM30\r\n");
    for (int pass = 0; pass < 2; ++pass) {
        const CliResult run = Run({"double", "D.NC", "--axis", "x"});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.err.find("D_2.NC"), std::string::npos) << run.err;
        EXPECT_EQ(TempDir::Read(home / "work/D_2.NC"), "O5\r\nG1X2.50Y3.\r\nX-1.0\r\nM30\r\n");
    }
    home.Write("work/BAD.NC", "G1X1-2\r\n");
    const CliResult run = Run({"double", "BAD.NC", "--axis", "X"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("1行目のXの値が数値ではありません"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home / "work/BAD_2.NC"));
}

TEST_F(CliEndToEnd, RunsWithoutADisplayAndWithoutQt) {
    // The child's environment carries no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
    CliResult run = Run({"--help"});
    EXPECT_EQ(run.code, 0);
    for (const char* command : {"send", "receive", "split", "join", "double", "ports"})
        EXPECT_NE(run.out.find(command), std::string::npos) << command;
    EXPECT_NE(run.out.find("書き戻しません"), std::string::npos);
    run = Run({"receive", "--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("--timeout SEC"), std::string::npos) << run.out;
    // The binary needs no Qt library at all.
    EXPECT_EQ(TempDir::Read(DRAVIK_CLI_EXE).find("libQt6"), std::string::npos);
    // The settings file is read, never written back.
    const std::string ini = TempDir::Read(home / "Dravik.INI");
    // The simulator holds the far end's device open, so the port is reported as shared (1).
    run = Run({"ports"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("COM1  " + sim->DeviceName()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("has it open too"), std::string::npos) << run.out;
    EXPECT_EQ(TempDir::Read(home / "Dravik.INI"), ini);
}

} // namespace
