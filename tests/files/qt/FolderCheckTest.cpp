// The folder change watch with real files in a temporary folder: bursts give one
// listing, a listing of the program itself gives none, the watch follows the
// working directory, ends with its folder and never outlives its owner. Listings
// are counted through the relist hook; waits are for conditions, never a stopwatch.
#include "files/qt/FolderCheck.h"
#include "support/TempDir.h"

#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Watch : ::testing::Test {
    TempDir dir;
    int listings = 0;
    bool busy = false;
    std::unique_ptr<TFolderCheck> check;

    void Start(int intervalMs = 1000, FolderWatch::ShareTest onShare = {}) {
        check = std::make_unique<TFolderCheck>([this] { ++listings; }, [this] { return busy; },
                                               nullptr, intervalMs, std::move(onShare));
        check->Follow(dir.path().string());
        ASSERT_TRUE(check->Watching());
    }
    // Waits for a change to be noticed, then for its listing.
    bool ListedOnce() {
        return QTest::qWaitFor([&] { return listings >= 1; }, 5000) && listings == 1;
    }
    // Lets the watch thread and the timer run long enough to show a listing that should not come.
    void Settle(int intervalMs) { QTest::qWait(intervalMs + 300); }
};

TEST_F(Watch, FiveFilesWithinHalfASecondGiveOneListing) {
    Start();
    for (int i = 0; i < 5; ++i) {
        dir.Write("P" + std::to_string(i) + ".NC", "%\n");
        QTest::qWait(100);
        if (i == 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return check->ChangePending(); }, 2000));
        }
    }
    EXPECT_TRUE(ListedOnce());
    Settle(200);
    EXPECT_EQ(listings, 1);
    EXPECT_FALSE(check->ChangePending());
}

TEST_F(Watch, RenamesAndDeletionsCountFoldersDoNot) {
    dir.Write("A.NC", "A");
    dir.Write("B.NC", "B");
    fs::create_directory(dir / "SUB");
    Start(100);
    struct Step {
        const char* what;
        std::function<void()> change;
        bool lists;
    };
    const std::vector<Step> steps = {
        {"rename", [&] { fs::rename(dir / "A.NC", dir / "C.NC"); }, true},
        {"delete", [&] { fs::remove(dir / "B.NC"); }, true},
        {"into a subfolder", [&] { dir.Write("SUB/D.NC", "D"); }, false},
        {"new folder", [&] { fs::create_directory(dir / "NEW"); }, false},
        {"content only", [&] { dir.Write("C.NC", "longer now"); }, false},
    };
    for (const Step& step : steps) {
        listings = 0;
        step.change();
        if (step.lists) {
            EXPECT_TRUE(ListedOnce()) << step.what;
        }
        Settle(100);
        EXPECT_EQ(listings, step.lists ? 1 : 0) << step.what;
    }
}

TEST_F(Watch, TheProgramsOwnListingTakesTheChangeItMade) {
    Start(200);
    // A copy of the program, then its own listing right away: nothing is left over.
    dir.Write("COPY.NC", "x");
    check->OwnListingStarts();
    Settle(200);
    EXPECT_EQ(listings, 0);
    // Also when the watch had already seen the change and its timer ran.
    dir.Write("RECV.NC", "y");
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->ChangePending(); }, 2000));
    check->OwnListingStarts();
    Settle(200);
    EXPECT_EQ(listings, 0);
    // And when the watch had read it but its word had not reached this thread yet.
    dir.Write("SPLIT.NC", "s");
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // no events processed
    check->OwnListingStarts();
    Settle(200);
    EXPECT_EQ(listings, 0);
    // A change after that listing is listed again.
    dir.Write("LATER.NC", "z");
    EXPECT_TRUE(ListedOnce());
}

TEST_F(Watch, ARunningCommandPostponesTheListingToItsEnd) {
    Start(100);
    busy = true;
    dir.Write("A.NC", "A");
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->ChangePending(); }, 2000));
    Settle(300);
    EXPECT_EQ(listings, 0);
    EXPECT_TRUE(check->ChangePending()); // still waiting, not forgotten
    busy = false;
    EXPECT_TRUE(ListedOnce());
}

TEST_F(Watch, FollowsTheWorkingDirectoryAtOnce) {
    TempDir other;
    Start(100);
    check->Follow(other.path().string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->Watched() == other.path().string(); }, 2000));
    dir.Write("OLD.NC", "x");
    Settle(100);
    EXPECT_EQ(listings, 0) << "the folder left behind is no longer watched";
    // Back, and the folder left is removed at once: the watch still goes over.
    check->Follow(dir.path().string());
    fs::remove_all(other.path());
    fs::create_directory(other.path());
    check->Follow(other.path().string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->Watched() == other.path().string(); }, 2000));
    EXPECT_TRUE(check->Watching());
    other.Write("NEW.NC", "x");
    EXPECT_TRUE(ListedOnce());
}

TEST_F(Watch, EndsWithItsFolderAndStartsAgainOnTheNextOne) {
    TempDir parent;
    const fs::path folder = parent / "NC";
    fs::create_directory(folder);
    check =
        std::make_unique<TFolderCheck>([this] { ++listings; }, [] { return false; }, nullptr, 100);
    check->Follow(folder.string());
    ASSERT_TRUE(check->Watching());
    fs::remove_all(folder);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !check->Watching(); }, 2000));
    // The listing of the vanished folder cannot watch it either.
    check->Follow(folder.string());
    EXPECT_FALSE(check->Watching());
    // Once the working directory is a folder again, the watch is back.
    fs::create_directory(folder);
    check->Follow(folder.string());
    ASSERT_TRUE(check->Watching());
    listings = 0;
    std::ofstream(folder / "A.NC") << "A";
    EXPECT_TRUE(ListedOnce());
}

TEST_F(Watch, GoesWithItsOwnerWhileChangesArrive) {
    // A change noticed but not listed yet, and the owner goes: nothing runs after.
    for (int round = 0; round < 3; ++round) {
        Start(50);
        dir.Write("X" + std::to_string(round), "x");
        QTest::qWait(10);
        check.reset();
        listings = 0;
        Settle(50);
        EXPECT_EQ(listings, 0);
    }
}

TEST_F(Watch, OnANetworkShareTheFolderTimesAreComparedToo) {
    // What another machine writes on a share raises no inotify event here; a new
    // time on the folder stands in for it (inotify reports only IN_ATTRIB).
    for (bool share : {false, true}) {
        Start(50, [share](const std::string&) { return share; });
        listings = 0;
        const timespec times[2] = {{1000000 + share, 0}, {1000000 + share, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.path().c_str(), times, 0), 0);
        if (share) {
            EXPECT_TRUE(ListedOnce());
        } else {
            Settle(100); // inotify alone: a time is no change of names
            EXPECT_EQ(listings, 0);
        }
    }
}

} // namespace
