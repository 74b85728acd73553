#include "files/FileCopy.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileCopy, CopiesBytesAndModificationTime) {
    TempDir dir;
    std::string bytes("O1\r\n\x00\xff\n", 7);
    auto from = dir.Write("a.nc", bytes);
    auto t = std::filesystem::last_write_time(from) - std::chrono::hours(48);
    std::filesystem::last_write_time(from, t);
    ASSERT_TRUE(CopyFileSafely(from, dir / "b.nc"));
    EXPECT_EQ(TempDir::Read(dir / "b.nc"), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(dir / "b.nc"), t);
}

TEST(FileCopy, CopyOntoItselfInAnySpellingLeavesTheFile) {
    TempDir dir;
    auto file = dir.Write("a.nc", "O1\nM30\n");
    std::filesystem::create_directory_symlink(dir.path(), dir / "link");
    for (auto other : {dir / "a.nc", dir / "." / "a.nc", dir / "link" / "a.nc"}) {
        EXPECT_TRUE(CopyFileSafely(file, other)) << other;
        EXPECT_EQ(TempDir::Read(file), "O1\nM30\n") << other;
    }
}

TEST(FileCopy, FailuresNameTheFileAndLeaveNoHalfFile) {
    TempDir dir;
    auto file = dir.Write("a.nc", "O1\n");
    std::string error;
    EXPECT_FALSE(CopyFileSafely(dir / "missing.nc", dir / "b.nc", &error));
    EXPECT_NE(error.find("missing.nc"), std::string::npos);
    EXPECT_FALSE(CopyFileSafely(file, dir / "no" / "b.nc", &error));
    EXPECT_NE(error.find("b.nc"), std::string::npos);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(CopyFileSafely(dir / "fifo", dir / "c.nc", &error));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.nc"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
