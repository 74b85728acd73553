#include "files/FileOps.h"
#include "files/FileCopy.h"
#include "files/FileTransfer.h"
#include "files/MakeDirectoryPath.h"

#include "platform/Paths.h"
#include "support/SyncRecorder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class FaultGuard {
public:
    explicit FaultGuard(FileOpsFault fault) { SetFileOpsFaultForTest(std::move(fault)); }
    ~FaultGuard() { SetFileOpsFaultForTest(nullptr); }
};

TEST(FileOps, TypedPaths) {
    struct Case {
        const char* typed;
        const char* resolved;
    };
    const Case cases[] = {
        {"~", "/home/op"},
        {"~/nc", "/home/op/nc"},
        {"sub", "/work/nc/sub"},
        {"../prg/", "/work/prg"},
        {"/mnt/usb", "/mnt/usb"},
        {".", "/work/nc"},
        {"/mnt/usb/./a/..", "/mnt/usb"},
        {"/", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveTypedPath(c.typed, "/work/nc", "/home/op"), c.resolved) << c.typed;
}

TEST(FileOps, MakeDirectoryPathCreatesEveryMissingLevel) {
    TempDir dir;
    std::string deep = (dir / "NEW" / "SUB" / "LAST").string() + "/";
    EXPECT_TRUE(MakeDirectoryPath(deep));
    EXPECT_TRUE(fs::is_directory(dir / "NEW" / "SUB" / "LAST"));
    EXPECT_TRUE(MakeDirectoryPath(deep)); // all there already: fine

    dir.Write("FILE", "x");
    std::string error;
    EXPECT_FALSE(MakeDirectoryPath((dir / "FILE" / "SUB").string(), &error));
    EXPECT_NE(error.find("FILE"), std::string::npos);
}

TEST(FileOps, SameFolderWrittenAnotherWay) {
    TempDir dir;
    fs::create_directory(dir / "nc");
    fs::create_directory(dir / "NC");
    fs::create_directory_symlink(dir / "nc", dir / "link");
    std::string nc = (dir / "nc").string();
    EXPECT_TRUE(IsSameFolder(nc, nc + "/"));
    EXPECT_TRUE(IsSameFolder(nc, nc + "/."));
    EXPECT_TRUE(IsSameFolder(nc, (dir / "link").string()));
    EXPECT_TRUE(IsSameFolder(nc, (dir / "NC" / ".." / "nc").string()));
    EXPECT_FALSE(IsSameFolder(nc, (dir / "NC").string())); // letter case counts
    EXPECT_FALSE(IsSameFolder(nc, (dir / "missing").string()));
}

TEST(FileOps, MoveOntoItselfLeavesTheFile) {
    TempDir dir;
    fs::path file = dir.Write("O1000.NC", "%\nO1000\nM30\n%\n");
    fs::create_symlink(file, dir / "alias.NC");
    fs::create_hard_link(file, dir / "hard.NC");
    for (const fs::path& target :
         {file, dir / "." / "O1000.NC", dir / "alias.NC", dir / "hard.NC"}) {
        EXPECT_EQ(MoveOnePath(file, target), MoveStatus::SameFile) << target;
        EXPECT_EQ(TempDir::Read(file), "%\nO1000\nM30\n%\n");
    }
    std::string error;
    EXPECT_EQ(MoveOnePath(dir / "missing", dir / "x", &error), MoveStatus::Failed);
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(MoveOnePath(file, dir / "moved.NC"), MoveStatus::Moved);
    EXPECT_FALSE(fs::exists(file));
}

struct TransferFixture : ::testing::Test {
    TempDir dir;
    fs::path from = dir / "from";
    fs::path to = dir / "to";
    std::vector<std::string> asked;

    void SetUp() override {
        fs::create_directory(from);
        fs::create_directory(to);
        for (const char* name : {"A.NC", "B.NC", "C.NC"})
            dir.Write(std::string("from/") + name, std::string("new ") + name);
        for (const char* name : {"A.NC", "B.NC", "C.NC"})
            dir.Write(std::string("to/") + name, "old");
    }
    std::vector<std::string> Sources() const {
        return {(from / "A.NC").string(), (from / "B.NC").string(), (from / "C.NC").string()};
    }
    TransferHooks Answering(std::vector<ReplaceAnswer> answers) {
        TransferHooks hooks;
        hooks.askReplace = [this, answers, n = size_t(0)](const fs::path& p) mutable {
            asked.push_back(p.filename().string());
            return answers.at(n++);
        };
        return hooks;
    }
};

TEST_F(TransferFixture, CopyAsksBeforeEachExistingFile) {
    auto outcome = TransferPaths(
        Sources(), to, true, Answering({ReplaceAnswer::No, ReplaceAnswer::Yes, ReplaceAnswer::No}));
    EXPECT_EQ(asked, (std::vector<std::string>{"A.NC", "B.NC", "C.NC"}));
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(TempDir::Read(to / "A.NC"), "old");
    EXPECT_EQ(TempDir::Read(to / "B.NC"), "new B.NC");
    EXPECT_EQ(TempDir::Read(to / "C.NC"), "old");
    EXPECT_TRUE(fs::exists(from / "B.NC"));
}

TEST_F(TransferFixture, YesToAllStopsAskingMoveTakesTheSources) {
    auto outcome = TransferPaths(Sources(), to, false,
                                 Answering({ReplaceAnswer::No, ReplaceAnswer::YesToAll}));
    EXPECT_EQ(asked, (std::vector<std::string>{"A.NC", "B.NC"}));
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(TempDir::Read(to / "A.NC"), "old");
    EXPECT_TRUE(fs::exists(from / "A.NC")); // not replaced, so not moved
    EXPECT_EQ(TempDir::Read(to / "B.NC"), "new B.NC");
    EXPECT_EQ(TempDir::Read(to / "C.NC"), "new C.NC");
    EXPECT_FALSE(fs::exists(from / "B.NC"));
    EXPECT_FALSE(fs::exists(from / "C.NC"));
}

TEST_F(TransferFixture, CancelStopsAtOnce) {
    auto outcome = TransferPaths(Sources(), to, true, Answering({ReplaceAnswer::Cancel}));
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(TempDir::Read(to / "C.NC"), "old");

    TransferHooks stop;
    stop.progress = [](size_t done, size_t total, const fs::path&) {
        EXPECT_EQ(total, 3u);
        return done < 1;
    };
    fs::remove_all(to);
    fs::create_directory(to);
    outcome = TransferPaths(Sources(), to, true, stop);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.done, 1u);
}

TEST_F(TransferFixture, FoldersAreCopiedAndMergedOnMove) {
    fs::create_directories(from / "SUB" / "DEEP");
    dir.Write("from/SUB/DEEP/X.NC", "x");
    dir.Write("from/SUB/Y.NC", "y");
    auto outcome = TransferPaths({(from / "SUB").string() + "/"}, to, true, {});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(TempDir::Read(to / "SUB" / "DEEP" / "X.NC"), "x");

    // Moving onto the copy merges: Y.NC kept (No), so the source folder stays with it.
    dir.Write("from/SUB/DEEP/X.NC", "x2");
    outcome = TransferPaths({(from / "SUB").string()}, to, false,
                            Answering({ReplaceAnswer::Yes, ReplaceAnswer::No}));
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(TempDir::Read(to / "SUB" / "DEEP" / "X.NC"), "x2");
    EXPECT_FALSE(fs::exists(from / "SUB" / "DEEP"));
    EXPECT_EQ(TempDir::Read(from / "SUB" / "Y.NC"), "y");

    // A folder into itself is refused, not copied forever.
    outcome = TransferPaths({from.string()}, from / "SUB", true, {});
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_FALSE(fs::exists(from / "SUB" / "from"));
}

// A copy, a move and a drop are on the disk before they are reported done: each
// copied file, then the folder that holds its new name (and, for a move, the
// folder it left). A flush that fails is reported as a failure of that file.
TEST_F(TransferFixture, WrittenFilesAndTheirFoldersReachTheDiskFirst) {
    fs::create_directories(from / "SUB");
    dir.Write("from/SUB/D.NC", "d");
    struct Result {
        bool ok;
        std::string error;
    };
    struct Case {
        const char* what;
        std::function<Result()> run;
        std::vector<fs::path> files;   // flushed, each before its folder
        std::vector<fs::path> folders; // flushed
    } cases[] = {
        {"copy of one file",
         [&] {
             std::string error;
             bool ok = CopyFileSafely(from / "A.NC", to / "A.NC", &error);
             return Result{ok, error};
         },
         {to / "A.NC"},
         {to}},
        {"move by a rename",
         [&] {
             std::string error;
             bool ok = MoveOnePath(from / "B.NC", to / "B.NC", &error) == MoveStatus::Moved;
             if (ok)
                 fs::rename(to / "B.NC", from / "B.NC"); // the next round moves it again
             return Result{ok, error};
         },
         {},
         {to, from}},
        {"drop of a file and a folder",
         [&] {
             TransferOutcome outcome =
                 TransferPaths({(from / "C.NC").string(), (from / "SUB").string()}, to, true, {});
             fs::remove_all(to / "SUB"); // the next round creates it again
             return Result{outcome.failures.empty() && !outcome.cancelled,
                           outcome.failures.empty() ? "" : outcome.failures.front()};
         },
         {to / "C.NC", to / "SUB" / "D.NC"},
         {to}},
    };
    SyncRecorder syncs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        syncs.Clear();
        Result result = c.run();
        ASSERT_TRUE(result.ok) << result.error;
        for (const fs::path& file : c.files)
            EXPECT_TRUE(syncs.OnDisk(file)) << file;
        for (const fs::path& folder : c.folders)
            EXPECT_NE(std::find(syncs.flushed.begin(), syncs.flushed.end(), folder),
                      syncs.flushed.end())
                << folder;

        // The destination folder cannot be flushed: the operator is told.
        syncs.Clear();
        syncs.FailFor(to);
        result = c.run();
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find(std::strerror(EIO)), std::string::npos) << result.error;
        if (!c.files.empty()) {
            // A copy whose own flush fails leaves no file under the new name.
            syncs.Clear();
            fs::remove(c.files.front());
            syncs.FailFor(c.files.front());
            result = c.run();
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.error, c.files.front().string() + ": " + std::strerror(EIO));
            EXPECT_FALSE(fs::exists(c.files.front()));
        }
    }
}

TEST_F(TransferFixture, FailuresNameTheFile) {
    FaultGuard denied([](const fs::path& p) { return p.filename() == "B.NC" ? EACCES : 0; });
    auto outcome = TransferPaths(Sources(), to, true, {});
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("B.NC"), std::string::npos);
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(TempDir::Read(to / "B.NC"), "old");

    EXPECT_EQ(SplitSourceList("/a/A.NC;/a/B.NC;"),
              (std::vector<std::string>{"/a/A.NC", "/a/B.NC"}));
}

} // namespace
