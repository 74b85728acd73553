#include "nctools/FileJoin.h"

#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(FileJoin, OutputNameTakesTheExtensionByCase) {
    struct Case {
        const char* typed;
        const char* extension;
        const char* name;
    } cases[] = {
        {"ALL", ".NC", "ALL.NC"},  {"ALL.NC", ".NC", "ALL.NC"}, {"all.nc", ".NC", "all.nc.NC"},
        {"A.NC1", ".NC", "A.NC1"}, {"ALL", "", "ALL"},          {"O0001", ".NC", "O0001.NC"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinOutputName(c.typed, c.extension), c.name) << c.typed;
    EXPECT_EQ(JoinOutputPath("/w", "SUB\\ALL.NC"), "/w/SUB/ALL.NC");
}

TEST(FileJoin, OutputThatIsAnInputIsFound) {
    TempDir dir;
    fs::create_directory(dir / "SUB");
    dir.Write("O0001.NC", "x");
    dir.Write("O0002.NC", "y");
    const std::vector<std::string> inputs = {"O0001.NC", "O0002.NC"};
    const std::string work = dir.path().string();
    struct Case {
        const char* name;
        bool input;
    } cases[] = {
        {"O0001.NC", true},          {"O0002.NC", true},
        {"SUB\\..\\O0001.NC", true}, // another spelling of the same file
        {"o0001.NC", false},         {"ALL.NC", false},
        {"SUB\\O0001.NC", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinOutputIsInput(work, c.name, inputs), c.input) << c.name;
}

// A hundred inputs of every line-end style: each line once, with CR LF, in order,
// nothing between two inputs, a last line without an end ended all the same.
TEST(FileJoin, HundredInputsJoinedLineByLine) {
    const char* styles[] = {"O%d\nX1\nM30\n", "O%d\r\nX1\r\nM30", "O%d\n\r\rX1\n\r\r\n\r\r",
                            "%%\nO%d(A)\n\n%%\n"};
    std::vector<TextDocument> docs(100);
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, styles[i % 4], i);
        docs[i].SetText(text);
        for (size_t line = 0; line < docs[i].LineCount(); ++line)
            expected += std::string(docs[i].Line(line)) + "\r\n";
    }
    TempDir dir;
    std::vector<size_t> started;
    std::vector<size_t> loaded;
    JoinResult result = JoinIntoFile(
        dir / "ALL.NC", docs.size(),
        [&](size_t i) {
            loaded.push_back(i);
            return &docs[i];
        },
        [&](size_t i) {
            started.push_back(i);
            return true;
        });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.filesJoined, 100u);
    EXPECT_EQ(TempDir::Read(dir / "ALL.NC"), expected);
    EXPECT_EQ(expected.substr(0, 18), "O0\r\nX1\r\nM30\r\nO1\r\nX");
    // Each input is announced before it is loaded, and the end once more.
    ASSERT_EQ(started.size(), 101u);
    EXPECT_EQ(std::vector<size_t>(started.begin(), started.end() - 1), loaded);
    EXPECT_EQ(started.back(), 100u);

    // Stopped before the third input: the earlier file stays, nothing else is left.
    const std::string before = TempDir::Read(dir / "ALL.NC");
    JoinResult stopped = JoinIntoFile(
        dir / "ALL.NC", docs.size(), [&](size_t i) { return &docs[i]; },
        [](size_t i) { return i < 2; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.filesJoined, 2u);
    EXPECT_EQ(TempDir::Read(dir / "ALL.NC"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Mended: an output that cannot be written is reported by name and leaves neither a
// half-written file nor a changed older file.
TEST(FileJoin, FailedOutputLeavesTheOlderFile) {
    TempDir dir;
    dir.Write("ALL.NC", "older");
    TextDocument doc;
    doc.SetText("O1\n");
    for (int err : {ENOSPC, EACCES}) {
        SetFileWriteFaultForTest([err](const fs::path&) { return err; });
        JoinResult result = JoinIntoFile(dir / "ALL.NC", 2, [&](size_t) { return &doc; });
        SetFileWriteFaultForTest(nullptr);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find((dir / "ALL.NC").string()), std::string::npos);
        EXPECT_EQ(TempDir::Read(dir / "ALL.NC"), "older");
    }
    JoinResult missing = JoinIntoFile(dir / "NOSUB" / "ALL.NC", 1, [&](size_t) { return &doc; });
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("NOSUB/ALL.NC"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// An input gone when its turn comes, or a stop after the last one: the joined file
// never replaces the older one without all of its inputs.
TEST(FileJoin, AnInputThatCannotBeReadWritesNothing) {
    TempDir dir;
    dir.Write("ALL.NC", "older");
    TextDocument doc;
    doc.SetText("O1\n");
    // The input whose load fails and the step whose start says stop (3: none).
    const std::pair<int, int> cases[] = {{0, 3}, {2, 3}, {3, 2}, {3, 3}};
    for (const auto& [goneAt, stopAt] : cases) {
        const int gone = goneAt, stop = stopAt;
        const JoinResult result = JoinIntoFile(
            dir / "ALL.NC", 3, [&](size_t i) { return int(i) == gone ? nullptr : &doc; },
            [&](size_t i) { return int(i) != stop + 1; });
        EXPECT_EQ(result.unreadable, gone < 3) << gone;
        EXPECT_EQ(result.unreadableInput, gone < 3 ? size_t(gone) : 0u) << gone;
        EXPECT_EQ(result.cancelled, stop < 3) << stop;
        EXPECT_EQ(TempDir::Read(dir / "ALL.NC"), result.ok ? "O1\r\nO1\r\nO1\r\n" : "older");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

} // namespace
