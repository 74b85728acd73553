// The rename that never replaces another entry, with renameat2 and with the
// fall-back of file systems that lack RENAME_NOREPLACE.
#include "platform/RenameEntry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

struct RenameEntryTest : ::testing::TestWithParam<bool> {
    TempDir dir;
    void SetUp() override { SetNoReplaceUnsupportedForTest(GetParam()); }
    void TearDown() override { SetNoReplaceUnsupportedForTest(false); }
    RenameOutcome Rename(const std::string& from, const std::string& to) {
        return SystemRenamer().Rename((dir / from).string(), (dir / to).string());
    }
};

TEST_P(RenameEntryTest, ExistingTargetIsRefusedAndBothFilesStayIntact) {
    dir.Write("O1234.NC", "O1234\n");
    dir.Write("O9999.NC", "O9999\n");
    RenameOutcome outcome = Rename("O1234.NC", "O9999.NC");
    EXPECT_EQ(outcome.status, RenameStatus::TargetExists);
    EXPECT_EQ(outcome.error, EEXIST);
    EXPECT_EQ(TempDir::Read(dir / "O1234.NC"), "O1234\n");
    EXPECT_EQ(TempDir::Read(dir / "O9999.NC"), "O9999\n");
}

TEST_P(RenameEntryTest, ExistingFolderOrFileNeverReplacedByAFolder) {
    fs::create_directory(dir / "A");
    fs::create_directory(dir / "B");
    dir.Write("B/keep.nc", "x");
    dir.Write("F.NC", "f");
    EXPECT_EQ(Rename("A", "B").status, RenameStatus::TargetExists);
    EXPECT_EQ(Rename("A", "F.NC").status, RenameStatus::TargetExists);
    EXPECT_TRUE(fs::is_directory(dir / "A"));
    EXPECT_EQ(TempDir::Read(dir / "B/keep.nc"), "x");
    EXPECT_EQ(TempDir::Read(dir / "F.NC"), "f");
}

TEST_P(RenameEntryTest, FreeNamesRenameFilesFoldersAndLetterCase) {
    struct Case {
        const char* from;
        const char* to;
        bool folder;
    } cases[] = {
        {"o1234.nc", "O1234.NC", false}, // a change of letter case only
        {"O1.NC", "O2.NC", false},
        {"dir", "DIR2", true},
    };
    for (const Case& c : cases) {
        if (c.folder)
            fs::create_directory(dir / c.from);
        else
            dir.Write(c.from, c.from);
        RenameOutcome outcome = Rename(c.from, c.to);
        EXPECT_EQ(outcome.status, RenameStatus::Renamed) << c.from;
        EXPECT_FALSE(fs::exists(dir / c.from)) << c.from;
        EXPECT_TRUE(fs::exists(dir / c.to)) << c.from;
        if (!c.folder) {
            EXPECT_EQ(TempDir::Read(dir / c.to), c.from);
        }
    }
}

TEST_P(RenameEntryTest, MissingSourceFailsWithItsError) {
    RenameOutcome outcome = Rename("nothing.nc", "other.nc");
    EXPECT_EQ(outcome.status, RenameStatus::Failed);
    EXPECT_EQ(outcome.error, ENOENT);
    EXPECT_FALSE(fs::exists(dir / "other.nc"));
}

INSTANTIATE_TEST_SUITE_P(NoReplaceSupportedOrNot, RenameEntryTest, ::testing::Bool());

} // namespace
