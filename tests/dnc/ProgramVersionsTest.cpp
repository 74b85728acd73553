#include "dnc/ProgramVersions.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

class ProgramVersionsTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(dir / "in"); }
    std::string Stage(const std::string& name, const std::string& text) {
        return dir.Write("in/" + name, text).string();
    }
    TempDir dir;
    const std::time_t when = LocalTime(2026, 3, 4, 5, 6, 7);
};

TEST_F(ProgramVersionsTest, AReceivedProgramKeepsTheFileItReplaces) {
    struct Case {
        const char* before; // the folder's file, nullptr: none
        const char* received;
        bool kept;
        bool differed;
    };
    const Case cases[] = {
        {nullptr, "O1\nM30\n", false, false},
        {"O1\nM30\n", "O1\nG1X1.\nM30\n", true, true},
        {"O1\nM30\n", "O1\nM30\n", true, false},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.received);
        const std::string name = "f" + std::to_string(round++);
        const std::string folder = (dir / name).string();
        fs::create_directory(folder);
        if (c.before)
            dir.Write(name + "/O1.NC", c.before);
        const PlacedProgram placed = PlaceReceivedProgram(Stage("O1.NC", c.received), folder, when);
        ASSERT_TRUE(placed.placed) << placed.error;
        EXPECT_EQ(placed.path, folder + "/O1.NC");
        EXPECT_EQ(TempDir::Read(placed.path), c.received);
        EXPECT_FALSE(fs::exists(dir / "in/O1.NC"));
        EXPECT_EQ(!placed.versionPath.empty(), c.kept);
        EXPECT_EQ(placed.differed, c.differed);
        if (c.kept) {
            EXPECT_EQ(placed.versionPath, folder + "/.versions/O1.NC.20260304-050607");
            EXPECT_EQ(TempDir::Read(placed.versionPath), c.before);
        }
    }
}

TEST_F(ProgramVersionsTest, TwoReplacementsInOneSecondKeepBothVersions) {
    const std::string folder = (dir / "out").string();
    fs::create_directory(folder);
    dir.Write("out/O2.NC", "first\n");
    const PlacedProgram one = PlaceReceivedProgram(Stage("O2.NC", "second\n"), folder, when);
    const PlacedProgram two = PlaceReceivedProgram(Stage("O2.NC", "third\n"), folder, when);
    ASSERT_TRUE(one.placed && two.placed);
    EXPECT_NE(one.versionPath, two.versionPath);
    EXPECT_EQ(TempDir::Read(one.versionPath), "first\n");
    EXPECT_EQ(TempDir::Read(two.versionPath), "second\n");
    EXPECT_EQ(TempDir::Read(folder + "/O2.NC"), "third\n");
}

TEST_F(ProgramVersionsTest, AFolderThatCannotTakeTheVersionLeavesTheOldFileInPlace) {
    const std::string folder = (dir / "out").string();
    fs::create_directory(folder);
    dir.Write("out/O3.NC", "office copy\n");
    dir.Write("out/.versions", "a file where the folder should be\n");
    const PlacedProgram placed = PlaceReceivedProgram(Stage("O3.NC", "new\n"), folder, when);
    EXPECT_FALSE(placed.placed);
    EXPECT_FALSE(placed.error.empty());
    EXPECT_EQ(TempDir::Read(folder + "/O3.NC"), "office copy\n");
    EXPECT_EQ(TempDir::Read(dir / "in/O3.NC"), "new\n"); // still there to be placed again
}

} // namespace
