#include "nctools/SplitByProgram.h"

#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "support/Corpus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

TextDocument Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    TextDocument doc;
    doc.SetText(std::move(text));
    return doc;
}

std::string CrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

Files FilesIn(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = TempDir::Read(entry.path());
    return files;
}

const std::vector<std::string> kTwoPrograms = {"%", "O0001",     "G00 X1.", "M30",
                                               "%", "O0002 (B)", "M30",     "%"};

TEST(SplitByProgram, EdgeCasesGiveTheseFiles) {
    struct Case {
        const char* what;
        std::vector<std::string> source;
        SplitOptions options;
        Files files;
    } cases[] = {
        {"all options off",
         kTwoPrograms,
         {},
         {{"O0001.NC", CrLf({"O0001", "G00 X1.", "M30"})},
          {"O0002 .NC", CrLf({"O0002 (B)", "M30"})}}},
        {"a % first and last with F_Set and B_Set",
         kTwoPrograms,
         {true, true, false},
         {{"O0001.NC", CrLf({"%", "O0001", "G00 X1.", "M30", "%"})},
          {"O0002 .NC", CrLf({"%", "O0002 (B)", "M30", "%"})}}},
        {"a colon names the file O, the line stays",
         {":0123", "M30"},
         {},
         {{"O0123.NC", CrLf({":0123", "M30"})}}},
        {"L starts a program of its own",
         {"O1", "M98 P10", "L10", "M99"},
         {},
         {{"O1.NC", CrLf({"O1", "M98 P10"})}, {"L10.NC", CrLf({"L10", "M99"})}}},
        {"small o and a leading blank start nothing",
         {"O1", "o1000", " O2", "M30"},
         {},
         {{"O1.NC", CrLf({"O1", "o1000", " O2", "M30"})}}},
        {"lines before the first program head its file, ahead of the %",
         {"", "(HEAD)", "%", "O0001", "", "M30"},
         {true, false, false},
         {{"O0001.NC", CrLf({"", "(HEAD)", "%", "O0001", "", "M30"})}}},
        {"every line that begins with % is dropped, empty lines stay",
         {"O1", "%ABC", "", "% ", "M30"},
         {},
         {{"O1.NC", CrLf({"O1", "", "M30"})}}},
        {"serials with N_Set",
         {"O1 (A)", "X1", "O1 (A)", "X2"},
         {false, false, true},
         {{"O1 _001.NC", CrLf({"O1 (A)", "X1"})}, {"O1 _002.NC", CrLf({"O1 (A)", "X2"})}}},
        // Mended: the later program of a name no longer replaces the earlier one.
        {"the same name twice keeps both, the later with _2",
         {"O1", "X1", "O1", "X2", "O1", "X3"},
         {},
         {{"O1.NC", CrLf({"O1", "X1"})},
          {"O1_2.NC", CrLf({"O1", "X2"})},
          {"O1_3.NC", CrLf({"O1", "X3"})}}},
        // Mended: names from the file never leave the destination folder.
        {"names that are no safe file names",
         {"O1/../../x", "X1", "O2*?", "X2", "LPT1", "X3", "O", "X4"},
         {},
         {{"O1_.._.._x.NC", CrLf({"O1/../../x", "X1"})},
          {"O2__.NC", CrLf({"O2*?", "X2"})},
          {"LPT1_.NC", CrLf({"LPT1", "X3"})},
          {"O.NC", CrLf({"O", "X4"})}}},
    };
    for (const Case& c : cases) {
        TempDir dest;
        TextDocument doc = Lines(c.source);
        SplitResult result = SplitByProgram(doc, dest.path(), c.options, ".NC");
        EXPECT_EQ(result.status, SplitStatus::Done) << c.what;
        EXPECT_EQ(result.programs, static_cast<int>(c.files.size())) << c.what;
        EXPECT_EQ(FilesIn(dest.path()), c.files) << c.what;
    }
}

TEST(SplitByProgram, FileNames) {
    struct Case {
        const char* line;
        int count;
        bool serial;
        const char* extension;
        std::string name;
    } cases[] = {
        {"O1234 (FLANGE)", 0, false, ".NC", "O1234 .NC"},
        {":0123", 0, false, ".NC", "O0123.NC"},
        {"O1", 0, true, ".NC", "O1_001.NC"},
        {"O1", 998, true, ".NC", "O1_999.NC"},
        {"O1", 999, true, ".NC", "O1_1000.NC"},
        {"O1(A(B)", 0, false, "", "O1"},
        {"O1.", 0, false, "", "O1_"},
        {"O1", 0, false, ".nc", "O1.nc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitFileName(c.line, c.count, c.serial, c.extension), c.name) << c.line;
    // A name too long for the file system is cut, and still ends in the extension.
    std::string longName = SplitFileName("O" + std::string(400, '1'), 0, false, ".NC");
    EXPECT_LE(longName.size(), 255u);
    EXPECT_TRUE(longName.ends_with("1.NC"));
}

TEST(SplitByProgram, NothingToSplitWritesNothing) {
    for (const std::vector<std::string>& source :
         {std::vector<std::string>{}, {"%", "G00 X1.", "M30", "%"}, {"o1", " O2", "(O3)"}}) {
        TempDir dest;
        TextDocument doc = Lines(source);
        SplitResult result = SplitByProgram(doc, dest.path(), {true, true, true}, ".NC");
        EXPECT_EQ(result.status, SplitStatus::NoPrograms);
        EXPECT_EQ(result.programs, 0);
        EXPECT_TRUE(FilesIn(dest.path()).empty());
    }
}

// The Fanuc punch-out: 32 programs, end of block LF CR CR, no line end after the
// last "%". Each program must come out as exactly the lines between its program
// line and the next, taken here from the raw bytes without the document.
TEST(SplitByProgram, MemoryPunchOutComesOutProgramByProgram) {
    const std::string raw = TempDir::Read(CorpusFile("01_fanucbackup_ALL-PROG.TXT"));
    ASSERT_FALSE(raw.empty());
    std::vector<std::string> programs;
    std::vector<std::string> names;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\n', start);
        std::string line = raw.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? raw.size() : raw.find_first_not_of('\r', end + 1);
        if (start == std::string::npos)
            start = raw.size();
        if (!line.empty() && line[0] == 'O') {
            programs.emplace_back();
            names.push_back(line.substr(0, line.find('(')) + ".NC");
        }
        if (!programs.empty() && (line.empty() || line[0] != '%'))
            programs.back() += line + "\r\n";
    }
    ASSERT_EQ(programs.size(), 32u);

    TextDocument doc;
    doc.SetText(raw);
    TempDir dest;
    std::vector<std::string> found;
    std::vector<size_t> progress;
    SplitCallbacks callbacks;
    callbacks.programFound = [&](std::string_view line, int index) {
        EXPECT_EQ(index, static_cast<int>(found.size()));
        found.emplace_back(line);
    };
    callbacks.progress = [&](size_t done) { progress.push_back(done); };
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".NC", callbacks);
    ASSERT_EQ(result.status, SplitStatus::Done);
    EXPECT_EQ(found.size(), 32u);
    EXPECT_EQ(result.files, names);
    for (size_t i = 0; i < programs.size(); ++i)
        EXPECT_EQ(TempDir::Read(dest / names[i]), programs[i]) << names[i];
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), doc.LineCount());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(SplitByProgram, EveryLineAProgramLine) {
    std::vector<std::string> source;
    for (int i = 1; i <= 3000; ++i)
        source.push_back("O" + std::to_string(i) + (i % 2 ? "" : "(X)"));
    TextDocument doc = Lines(source);
    TempDir dest;
    SplitResult result = SplitByProgram(doc, dest.path(), {false, true, false}, ".NC");
    ASSERT_EQ(result.status, SplitStatus::Done);
    EXPECT_EQ(result.programs, 3000);
    Files files = FilesIn(dest.path());
    ASSERT_EQ(files.size(), 3000u);
    EXPECT_EQ(files["O1.NC"], "O1\r\n%\r\n");
    EXPECT_EQ(files["O3000.NC"], "O3000(X)\r\n%\r\n");
}

// Whatever the bytes (a binary file, NUL, control characters, names with "/"), the
// files hold every line that is not a "%" line exactly once, in order, and all of
// them lie in the destination folder.
TEST(SplitByProgram, BinaryInputLosesNothingAndStaysInTheFolder) {
    const char alphabet[] = {'O', ':', 'L', '%', '\n', '\r', '/', '(', '\0', '\xFF', 'a', '.', ' '};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::string bytes;
        unsigned state = seed;
        for (int i = 0; i < 20000; ++i) {
            state = state * 1103515245u + 12345u;
            bytes.push_back(alphabet[(state >> 16) % sizeof alphabet]);
        }
        TextDocument doc;
        doc.SetText(bytes);
        std::string expected;
        bool program = false;
        for (size_t i = 0; i < doc.LineCount(); ++i) {
            std::string_view line = doc.Line(i);
            program = program || (!line.empty() &&
                                  std::string_view("O:L").find(line[0]) != std::string_view::npos);
            if (line.empty() || line[0] != '%')
                expected += std::string(line) + "\r\n";
        }
        TempDir dest;
        SplitResult result = SplitByProgram(doc, dest / "", {}, ".NC");
        ASSERT_EQ(result.status, program ? SplitStatus::Done : SplitStatus::NoPrograms) << seed;
        std::string joined;
        for (const std::string& name : result.files)
            joined += TempDir::Read(dest / name);
        EXPECT_EQ(joined, program ? expected : "") << seed;
        EXPECT_EQ(std::distance(fs::directory_iterator(dest.path()), fs::directory_iterator()),
                  static_cast<long>(result.files.size()))
            << seed;
    }
    // A program line of a megabyte: a name cut to what the file system takes, the
    // line itself whole.
    TextDocument doc;
    doc.SetText("O" + std::string(1 << 20, '9') + "\nM30\n");
    TempDir dest;
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".NC");
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_LE(result.files[0].size(), 255u);
    EXPECT_EQ(TempDir::Read(dest / result.files[0]).size(), (1u << 20) + 1 + 2 + 5);
}

class SplitFaults : public ::testing::Test {
protected:
    void TearDown() override { SetFileWriteFaultForTest(nullptr); }
    TempDir dest;
};

// Mended: a file that cannot be written stops the split with a message naming it;
// the files before it are whole, no part of it is left, an older file of its name
// is untouched.
TEST_F(SplitFaults, FailedWriteStopsWithTheFilesBeforeItWhole) {
    for (int err : {ENOSPC, EACCES, EROFS}) {
        fs::remove_all(dest.path() / "x");
        fs::create_directory(dest.path() / "x");
        dest.Write("x/O3.NC", "older");
        SetFileWriteFaultForTest(
            [err](const fs::path& path) { return path.filename() == "O3.NC" ? err : 0; });
        TextDocument doc = Lines({"O1", "X1", "O2", "X2", "O3", "X3", "O4", "X4"});
        SplitResult result = SplitByProgram(doc, dest / "x", {}, ".NC");
        EXPECT_EQ(result.status, SplitStatus::WriteFailed);
        EXPECT_NE(result.error.find((dest / "x" / "O3.NC").string()), std::string::npos)
            << result.error;
        EXPECT_EQ(result.files, (std::vector<std::string>{"O1.NC", "O2.NC"}));
        EXPECT_EQ(FilesIn(dest / "x"), (Files{{"O1.NC", CrLf({"O1", "X1"})},
                                              {"O2.NC", CrLf({"O2", "X2"})},
                                              {"O3.NC", "older"}}));
    }
}

TEST_F(SplitFaults, WildcardExtensionNamesNoFile) {
    TextDocument doc = Lines({"O1", "X1"});
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".*");
    EXPECT_EQ(result.status, SplitStatus::WriteFailed);
    EXPECT_NE(result.error.find("O1.*"), std::string::npos);
    EXPECT_TRUE(FilesIn(dest.path()).empty());
}

TEST_F(SplitFaults, ASubfolderInTheWayIsReportedNotReplaced) {
    fs::create_directory(dest / "O2.NC");
    TextDocument doc = Lines({"O1", "O2", "O3"});
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".NC");
    EXPECT_EQ(result.status, SplitStatus::WriteFailed);
    EXPECT_TRUE(fs::is_directory(dest / "O2.NC"));
    // O1.NC and the folder, no part of O2 left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(TempDir::Read(dest / "O1.NC"), CrLf({"O1"}));
}

// Mended: splitting O0001.NC into its own folder would replace the file being split
// by its first program alone.
TEST_F(SplitFaults, TheSplitFileIsNeverReplacedByOneOfItsPrograms) {
    const std::string whole = CrLf({"O0001", "X1", "O0002", "X2"});
    fs::path source = dest.Write("O0001.NC", whole);
    TextDocument doc;
    doc.SetText(TempDir::Read(source));
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".NC", {}, source);
    EXPECT_EQ(result.status, SplitStatus::Done);
    EXPECT_EQ(FilesIn(dest.path()), (Files{{"O0001.NC", whole},
                                           {"O0001_2.NC", CrLf({"O0001", "X1"})},
                                           {"O0002.NC", CrLf({"O0002", "X2"})}}));
}

TEST_F(SplitFaults, CancelKeepsTheWholeFilesOnly) {
    std::vector<std::string> source;
    for (int i = 0; i < 3 * static_cast<int>(kSplitProgressLines); ++i)
        source.push_back(i % 1000 == 0 ? "O" + std::to_string(i) : "X" + std::to_string(i));
    TextDocument doc = Lines(source);
    int asked = 0;
    SplitCallbacks callbacks;
    callbacks.cancelled = [&] { return ++asked == 2; };
    SplitResult result = SplitByProgram(doc, dest.path(), {}, ".NC", callbacks);
    EXPECT_EQ(result.status, SplitStatus::Cancelled);
    // Stopped after line 8192: programs O0 to O7000 are whole, O8000 is not written.
    EXPECT_EQ(result.files.size(), 8u);
    Files files = FilesIn(dest.path());
    EXPECT_EQ(files.size(), 8u);
    EXPECT_EQ(files.count("O8000.NC"), 0u);
    EXPECT_TRUE(files["O7000.NC"].ends_with("X7999\r\n"));
}

TEST(SplitOptionsFile, FlagsReadAndWritten) {
    struct Case {
        const char* ini;
        bool f, b, n;
    } cases[] = {
        {"", false, false, false},
        {"[Sub]\r\nF_Set=1\r\nB_Set=0\r\nN_Set=1\r\n", true, false, true},
        {"[sub]\r\nf_set = 2\r\nB_Set=-1\r\nN_Set=abc\r\n", true, true, false},
        {"[Other]\r\nF_Set=1\r\n", false, false, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        fs::path ini = dir.Write("Div_Sub.ini", c.ini);
        SplitOptions options = LoadSplitOptions(ini);
        EXPECT_EQ(options.F_Set, c.f) << c.ini;
        EXPECT_EQ(options.B_Set, c.b) << c.ini;
        EXPECT_EQ(options.N_Set, c.n) << c.ini;
    }
    TempDir dir;
    EXPECT_FALSE(LoadSplitOptions(dir / "none.ini").F_Set);
    ASSERT_TRUE(SaveSplitOptions(dir / "Div_Sub.ini", {true, false, true}));
    EXPECT_EQ(TempDir::Read(dir / "Div_Sub.ini"), "[Sub]\r\nF_Set=1\r\nB_Set=0\r\nN_Set=1\r\n");
}

} // namespace
