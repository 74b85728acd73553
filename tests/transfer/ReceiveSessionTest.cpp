#include "transfer/ReceiveSession.h"

#include "platform/FileWrite.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

class RecordingView : public ReceiveView {
public:
    std::vector<std::string> lines;
    std::vector<std::string> programs;
    size_t mostLines = 0;
    int progress = -1;

    void AppendDataLine(std::string_view line) override {
        lines.emplace_back(line);
        mostLines = std::max(mostLines, lines.size());
    }
    void ClearDataView() override { lines.clear(); }
    void ListProgram(int index, std::string_view line) override {
        EXPECT_EQ(index, int(programs.size()));
        programs.emplace_back(line);
    }
    void SetProgress(int lines) override { progress = lines; }
};

using Step = ReceiveSession::Step;

class ReceiveSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.DirPath = dir.path().string();
        settings.Mask = "*.NC";
        settings.StartChar = "N";
        settings.EndChar = "Y";
        settings.Add_No = "Y";
    }
    void TearDown() override { SetFileWriteFaultForTest(nullptr); }

    ReceiveSession& Begin(bool named = false, const std::string& namedName = "NAMED.NC") {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 8;
        t.tm_isdst = -1;
        session = std::make_unique<ReceiveSession>(
            ReceivePlanFor(settings, named, (dir / namedName).string(), std::mktime(&t)), view);
        return *session;
    }

    // Feeds a tape of decoded characters as the byte loop does: its first
    // character starts the reception, every read is taken, and when the tape
    // runs out the line stays silent for one more read.
    Step Receive(std::string_view tape, bool named = false) {
        ReceiveSession& s = session ? *session : Begin(named);
        if (!s.Open())
            return Step::Failed;
        s.Start(static_cast<unsigned char>(tape[0]));
        for (char c : tape.substr(1)) {
            Step step = s.Take(static_cast<unsigned char>(c));
            if (step != Step::Next)
                return step;
        }
        return s.Take(0);
    }
    void Reset() {
        session.reset();
        view = {};
    }
    std::string File(std::string_view name) const { return TempDir::Read(dir / name); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    TSettings settings;
    RecordingView view;
    std::unique_ptr<ReceiveSession> session;
};

const char kTape[] = "%\nO0001(A)\nG01X10.Y20.F100\nM30\n%";

TEST_F(ReceiveSessionTest, TapeExampleOneFilePerProgram) {
    ASSERT_EQ(Receive(kTape), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(Files(), std::vector<std::string>{"O0001_001.NC"});
    EXPECT_EQ(File("O0001_001.NC"), "O0001(A)\r\nG01 X10. Y20. F100\r\nM30\r\n%\r\n");
    EXPECT_EQ(view.programs, std::vector<std::string>{"O0001(A)"});
    EXPECT_EQ(session->LastPath(), (dir / "O0001_001.NC").string());
    EXPECT_TRUE(view.lines.empty());
}

TEST_F(ReceiveSessionTest, TapeExampleNamedWithStartAndEndCharacters) {
    settings.StartChar = "Y";
    settings.Read_SP_Cut = "Y";
    dir.Write("NAMED.NC", "old text that the reception replaces\r\n");
    ASSERT_EQ(Receive(kTape, true), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("NAMED.NC"), "%\r\nO0001(A)\r\nG01X10.Y20.F100\r\nM30\r\n%\r\n");
    EXPECT_EQ(view.programs, std::vector<std::string>{"O0001(A)"});
}

TEST_F(ReceiveSessionTest, TwoProgramsEachFramedByPercentLines) {
    settings.StartChar = "Y";
    ASSERT_EQ(Receive("%\nO0001\nG1\nM30\nO0002(B)\nG2\nM30\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(Files(), (std::vector<std::string>{"O0001_001.NC", "O0002_002.NC"}));
    EXPECT_EQ(File("O0001_001.NC"), "%\r\nO0001\r\nG1\r\nM30\r\n%\r\n");
    EXPECT_EQ(File("O0002_002.NC"), "%\r\nO0002(B)\r\nG2\r\nM30\r\n%\r\n");
}

TEST_F(ReceiveSessionTest, ColonChangeKeepsONamesAndDroppedLinesNeverReachTheFile) {
    settings.OChange = "Y";
    settings.Add_No = "N";
    settings.EndChar = "N";
    ASSERT_EQ(Receive("%\nO0001(A)\nN1O&FW\n:&FW1\nX&HE:2\nG1\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("O0001.NC"), ":0001(A)\r\nG1\r\n");
    EXPECT_EQ(view.programs, std::vector<std::string>{":0001(A)"});
}

TEST_F(ReceiveSessionTest, ManyLinesAreSavedEveryThousandLines) {
    std::string tape = "%\nO1\n";
    for (int i = 0; i < 2500; ++i)
        tape += "G1X" + std::to_string(i) + "\n";
    tape += "%";
    int writes = 0;
    SetFileWriteFaultForTest([&](const std::filesystem::path&) {
        ++writes;
        return 0;
    });
    ASSERT_EQ(Receive(tape, true), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(writes, 4) << "the creation, two saves on the way and the last one";
    EXPECT_LE(view.mostLines, size_t(kLinesPerSave));
    std::string expected = "O1\r\n";
    for (int i = 0; i < 2500; ++i)
        expected += "G1 X" + std::to_string(i) + "\r\n";
    EXPECT_EQ(File("NAMED.NC"), expected + "%\r\n");
}

TEST_F(ReceiveSessionTest, ClosingPercentEndsAtTheNextReadAndDc4EndsAtOnce) {
    Begin();
    ASSERT_TRUE(session->Open());
    session->Start('%');
    for (char c : std::string_view("\nO1\nM30\n%"))
        ASSERT_EQ(session->Take(static_cast<unsigned char>(c)), Step::Next);
    EXPECT_EQ(session->Take(0), Step::End) << "one read timeout of silence";

    Reset();
    EXPECT_EQ(Receive("%\nO2\nM30\x14"), Step::End);
    ASSERT_TRUE(session->Finish(false));
    EXPECT_EQ(File("O2_001.NC"), "O2\r\nM30\r\n");
    Reset();
    EXPECT_EQ(Receive("%\nO3\nM30\n\x14"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("O3_001.NC"), "O3\r\nM30\r\n%\r\n") << "no empty line before the end";
}

// "%" inside a comment neither ends the reception nor leaves the line; the end
// rules apply to a "%" outside comments only.
TEST_F(ReceiveSessionTest, PercentInACommentIsText) {
    struct Case {
        const char* tape;
        const char* file;
    };
    const Case cases[] = {
        {"%\nO1\nG1(FEED 50%)\nM30\n%", "O1\r\nG1(FEED 50%)\r\nM30\r\n%\r\n"},
        {"%\nO1(50% SPEED)\nG1\n%", "O1(50% SPEED)\r\nG1\r\n%\r\n"},
        {"%\nO1\nG1(50%\nM30\n%", "O1\r\nG1(50%\r\nM30\r\n%\r\n"},
        {"%\nO1\nG1(A)X1%", "O1\r\nG1(A) X1\r\n%\r\n"},
    };
    for (const Case& c : cases) {
        Reset();
        std::filesystem::remove(dir / "O1_001.NC");
        ASSERT_EQ(Receive(c.tape), Step::End) << c.tape;
        ASSERT_TRUE(session->Finish(true)) << c.tape;
        EXPECT_EQ(File("O1_001.NC"), c.file) << c.tape;
    }
}

// A lone "O" line is joined with the line after it into one program line.
TEST_F(ReceiveSessionTest, LoneProgramLetterJoinsTheNextLine) {
    ASSERT_EQ(Receive("%\nO\n1234(A)\nG1\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(view.programs, std::vector<std::string>{"O1234(A)"});
    EXPECT_EQ(Files(), std::vector<std::string>{"O1234_001.NC"});
    EXPECT_EQ(File("O1234_001.NC"), "O1234(A)\r\nG1\r\n%\r\n");
}

// Lines before the first program line stand at the head of its file, ahead of its
// "%" line, as the split tool keeps them; blank lines alone add nothing.
TEST_F(ReceiveSessionTest, LinesBeforeTheFirstProgramHeadItsFile) {
    struct Case {
        const char* startChar;
        const char* tape;
        const char* first;
    };
    const Case cases[] = {
        {"N", "%\n(TAPE TITLE)\nO1\nM30\nO2\nM30\n%", "(TAPE TITLE)\r\nO1\r\nM30\r\n%\r\n"},
        {"Y", "%\n(TAPE TITLE)\nN1\nO1\nM30\nO2\nM30\n%",
         "(TAPE TITLE)\r\nN1\r\n%\r\nO1\r\nM30\r\n%\r\n"},
        {"N", "\n\n  \nO1\nM30\nO2\nM30\n%", "O1\r\nM30\r\n%\r\n"},
    };
    for (const Case& c : cases) {
        Reset();
        for (const std::string& name : Files())
            std::filesystem::remove(dir / name);
        settings.StartChar = c.startChar;
        ASSERT_EQ(Receive(c.tape), Step::End) << c.tape;
        ASSERT_TRUE(session->Finish(true)) << c.tape;
        EXPECT_EQ(Files(), (std::vector<std::string>{"O1_001.NC", "O2_002.NC"})) << c.tape;
        EXPECT_EQ(File("O1_001.NC"), c.first) << c.tape;
        EXPECT_EQ(File("O2_002.NC").substr(0, 4), *c.startChar == 'Y' ? "%\r\nO" : "O2\r\n")
            << c.tape;
    }
}

// Lines before the first program line that a 1000-line save reaches first keep a
// file of their own (the reception cannot wait for a program line to name them).
TEST_F(ReceiveSessionTest, LinesBeforeTheFirstProgramAreKept) {
    dir.Write("NONAME_20261208_000000.NC", "someone else's file");
    std::string tape = "%\n(TAPE TITLE)\n";
    for (int i = 0; i < 1200; ++i)
        tape += "N" + std::to_string(i) + "\n";
    tape += "O1\nM30\n%";
    ASSERT_EQ(Receive(tape), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("NONAME_20261208_000000.NC"), "someone else's file");
    std::string expected = "(TAPE TITLE)\r\n";
    for (int i = 0; i < 1200; ++i)
        expected += "N" + std::to_string(i) + "\r\n";
    EXPECT_EQ(File("NONAME_20261208_000000_2.NC"), expected);
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n%\r\n");

    Reset();
    std::filesystem::remove(dir / "O1_001.NC");
    ASSERT_EQ(Receive("\n\n  \nO1\nM30\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(Files().size(), 3u) << "no file for blank lines";
}

TEST_F(ReceiveSessionTest, TextWithoutProgramLineIsSavedUnnamed) {
    ASSERT_EQ(Receive("%\nG1X1\nM30\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("NONAME_20261208_000000.NC"), "G1 X1\r\nM30\r\n");
    EXPECT_EQ(session->LastPath(), (dir / "NONAME_20261208_000000.NC").string());
}

// Without numbering, a second program of the same name gets its own file; a
// file of that name from before the reception is replaced, a variant never is.
TEST_F(ReceiveSessionTest, SameProgramNameTwiceKeepsBoth) {
    settings.Add_No = "N";
    settings.EndChar = "N";
    dir.Write("O0001.NC", "from yesterday");
    dir.Write("O0001_2.NC", "keep me");
    ASSERT_EQ(Receive("%\nO0001(A)\nG1\nO0001(B)\nG2\no0001\nG3\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(File("O0001.NC"), "O0001(A)\r\nG1\r\n");
    EXPECT_EQ(File("O0001_2.NC"), "keep me");
    EXPECT_EQ(File("O0001_3.NC"), "O0001(B)\r\nG2\r\n0001\r\nG3\r\n");
}

TEST_F(ReceiveSessionTest, ProgramNamesStayInTheWorkingDirectory) {
    settings.Add_No = "N";
    ASSERT_EQ(Receive("%\nO../../X(A)\nG1\n:/TMP/Y\nG2\n%"), Step::End);
    ASSERT_TRUE(session->Finish(true));
    EXPECT_EQ(Files(), (std::vector<std::string>{"O.._.._ X.NC", "O_ TMP_ Y.NC"}));
}

TEST_F(ReceiveSessionTest, StopRemovesOnlyTheProgramInProgress) {
    Begin();
    ASSERT_TRUE(session->Open());
    session->Start('%');
    for (char c : std::string_view("\nO1\nM30\nO2\nG1"))
        ASSERT_EQ(session->Take(static_cast<unsigned char>(c)), Step::Next);
    session->RemoveFileInProgress();
    EXPECT_EQ(Files(), std::vector<std::string>{"O1_001.NC"});
    EXPECT_EQ(session->TargetPath(), (dir / "O2_002.NC").string());
}

TEST_F(ReceiveSessionTest, StopBeforeAnyFileRemovesNothing) {
    dir.Write("O1_001.NC", "earlier reception");
    Begin();
    ASSERT_TRUE(session->Open());
    session->RemoveFileInProgress();
    EXPECT_EQ(File("O1_001.NC"), "earlier reception");
    EXPECT_EQ(session->TargetPath(), "");
}

TEST_F(ReceiveSessionTest, WildcardMaskNamesNoFile) {
    settings.Mask = "*.*";
    EXPECT_EQ(Receive(kTape, false), Step::Failed);
    EXPECT_NE(session->Error().find("O0001_001.*"), std::string::npos) << session->Error();
    EXPECT_TRUE(Files().empty());
    Reset();
    Begin(true, "NAME.*");
    EXPECT_FALSE(session->Open());
    EXPECT_TRUE(Files().empty());
}

TEST_F(ReceiveSessionTest, FullDiskFailsTheSaveAndKeepsCompletedPrograms) {
    SetFileWriteFaultForTest([](const std::filesystem::path& path) {
        return path.filename() == "O2_002.NC" ? ENOSPC : 0;
    });
    EXPECT_EQ(Receive("%\nO1\nM30\nO2\nM30\n%"), Step::Failed);
    EXPECT_NE(session->Error().find("No space left"), std::string::npos) << session->Error();
    EXPECT_EQ(File("O1_001.NC"), "O1\r\nM30\r\n%\r\n");
    EXPECT_EQ(session->TargetPath(), (dir / "O2_002.NC").string());
}

} // namespace
