#include "platform/FileWrite.h"

#include "support/SyncRecorder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// A durable write is on the disk before it reports success: the file, then its
// folder. A flush that fails makes the write fail, naming the file; when the
// file's own flush fails, the older file is still what the name holds.
TEST_F(FileWriteTest, DurableWritesFlushTheFileThenItsFolder) {
    using Write = std::function<bool(const fs::path&, std::string&)>;
    const Write inPieces = [](const fs::path& p, std::string& error) {
        WholeFileWriter writer;
        bool ok = writer.Open(p) && writer.Append("new") && writer.Commit(true);
        error = writer.Error();
        return ok;
    };
    const Write settingsFile = [](const fs::path& p, std::string& error) {
        return WriteFileAtomically(p, "new", &error);
    };
    const Write flushedLater = [](const fs::path& p, std::string& error) {
        WholeFileWriter writer;
        bool ok = writer.Open(p) && writer.Append("new") && writer.Commit();
        error = writer.Error();
        return ok && SyncToDisk({p}, &error);
    };
    struct Case {
        const char* what;
        Write write;
        bool failKeepsOlder; // the flush comes before the new file takes the name
    } cases[] = {
        {"committed durable", inPieces, true},
        {"settings file", settingsFile, true},
        {"flushed after the commit", flushedLater, false},
    };
    SyncRecorder syncs;
    const fs::path target = dir / "O1.NC";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("O1.NC", "older");
        syncs.Clear();
        std::string error;
        ASSERT_TRUE(c.write(target, error)) << error;
        EXPECT_TRUE(syncs.OnDisk(target));
        EXPECT_EQ(TempDir::Read(target), "new");

        for (const fs::path& failing : {target, dir.path()}) {
            dir.Write("O1.NC", "older");
            syncs.Clear();
            syncs.FailFor(failing);
            EXPECT_FALSE(c.write(target, error)) << failing;
            // The file's name, or the folder's when only the folder failed.
            const std::string reason = std::string(": ") + std::strerror(EIO);
            EXPECT_TRUE(error == target.string() + reason || error == failing.string() + reason)
                << failing << ": " << error;
            if (failing == target && c.failKeepsOlder) {
                EXPECT_EQ(TempDir::Read(target), "older");
            }
            EXPECT_EQ(FilesInDir(), 1u) << failing; // no temporary left behind
        }
    }
    // A writer that says nothing of durability flushes nothing: many files are
    // flushed together afterwards instead.
    syncs.Clear();
    WholeFileWriter writer;
    ASSERT_TRUE(writer.Open(target) && writer.Append("x") && writer.Commit());
    EXPECT_TRUE(syncs.flushed.empty());
}

// Files flushed together: every file once, then each folder once after all the
// files; a file that fails is named and no folder is flushed after it.
TEST_F(FileWriteTest, FilesFlushedTogetherComeBeforeTheirFolders) {
    fs::create_directory(dir / "SUB");
    std::vector<fs::path> files;
    for (int i = 0; i < 30; ++i)
        files.push_back(dir.Write((i % 3 ? "" : "SUB/") + std::to_string(i) + ".NC", "x"));
    SyncRecorder syncs;
    ASSERT_TRUE(SyncToDisk(files));
    ASSERT_EQ(syncs.flushed.size(), files.size() + 2);
    std::vector<fs::path> flushedFiles(syncs.flushed.begin(), syncs.flushed.end() - 2);
    std::sort(flushedFiles.begin(), flushedFiles.end());
    std::vector<fs::path> expected = files;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(flushedFiles, expected);
    std::vector<fs::path> folders(syncs.flushed.end() - 2, syncs.flushed.end());
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<fs::path>{dir.path(), dir / "SUB"}));

    syncs.Clear();
    syncs.FailFor(files[7]);
    std::string error;
    EXPECT_FALSE(SyncToDisk(files, &error));
    EXPECT_EQ(error, files[7].string() + ": " + std::strerror(EIO));
    EXPECT_EQ(std::count(syncs.flushed.begin(), syncs.flushed.end(), dir.path()), 0);

    // A file removed since it was written cannot be on the disk: that is a failure.
    syncs.Clear();
    fs::remove(files[4]);
    EXPECT_FALSE(SyncToDisk(files, &error));
    EXPECT_NE(error.find(files[4].string()), std::string::npos) << error;
}

} // namespace
