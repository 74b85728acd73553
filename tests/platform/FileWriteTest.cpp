#include "platform/FileWrite.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class FileWriteTest : public ::testing::Test {
protected:
    void TearDown() override { SetFileWriteFaultForTest(nullptr); }

    size_t FilesInDir() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
    static unsigned Mode(const fs::path& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }

    TempDir dir;
};

// 2.5 MB in lines: the writer flushes two full blocks and the rest at Commit.
std::string ManyLines() {
    std::string text;
    while (text.size() < 2'500'000)
        text += "G01 X12.345 Y-6.789 F300\r\n";
    return text;
}

bool WriteInPieces(const fs::path& path, const std::string& text, std::string& error) {
    WholeFileWriter writer;
    bool ok = writer.Open(path);
    for (size_t at = 0; ok && at < text.size(); at += 26)
        ok = writer.Append(std::string_view(text).substr(at, 26));
    ok = ok && writer.Commit();
    error = writer.Error();
    return ok;
}

// Both ways of writing replace an older file whole, keep its permissions and never
// touch a neighbour whose name looks like a temporary (an operator may keep one).
TEST_F(FileWriteTest, ReplacesWholeKeepingModeAndNeighbours) {
    const std::string text = ManyLines();
    const std::vector<std::pair<const char*, std::function<bool(const fs::path&)>>> ways = {
        {"in one piece", [&](const fs::path& p) { return WriteFileAtomically(p, text); }},
        {"in pieces",
         [&](const fs::path& p) {
             std::string error;
             return WriteInPieces(p, text, error);
         }},
    };
    for (const auto& [what, write] : ways) {
        const fs::path target = dir.Write("O1.NC", "older");
        ::chmod(target.c_str(), 0600);
        dir.Write("O1.NC.tmp", "the operator's own file");
        ASSERT_TRUE(write(target)) << what;
        EXPECT_EQ(TempDir::Read(target), text) << what;
        EXPECT_EQ(Mode(target), 0600u) << what;
        EXPECT_EQ(TempDir::Read(dir / "O1.NC.tmp"), "the operator's own file") << what;
        EXPECT_EQ(FilesInDir(), 2u) << what;
    }
}

// A failure at any write (creating the file, a full block, the last block at
// Commit) leaves the older file as it was, no temporary, and names the file.
TEST_F(FileWriteTest, FailureAtAnyBlockLeavesTheOlderFile) {
    const std::string text = ManyLines();
    for (int failAt : {1, 2, 3, 4}) {
        const fs::path target = dir.Write("O1.NC", "older");
        int calls = 0;
        SetFileWriteFaultForTest([&](const fs::path&) { return ++calls == failAt ? ENOSPC : 0; });
        std::string error;
        EXPECT_FALSE(WriteInPieces(target, text, error)) << failAt;
        EXPECT_NE(error.find(target.string()), std::string::npos) << failAt << ": " << error;
        EXPECT_EQ(TempDir::Read(target), "older") << failAt;
        EXPECT_EQ(FilesInDir(), 1u) << failAt;
    }
}

// The settings writer asks the seam once, however large the file.
TEST_F(FileWriteTest, WholeFileInOnePieceIsOneWrite) {
    int calls = 0;
    SetFileWriteFaultForTest([&](const fs::path&) { return ++calls, 0; });
    ASSERT_TRUE(WriteFileAtomically(dir / "Dravik.INI", ManyLines()));
    EXPECT_EQ(calls, 1);
}

} // namespace
