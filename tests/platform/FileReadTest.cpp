#include "platform/FileRead.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileRead, OnlyARegularFileIsReadAndEveryOtherKindIsAReason) {
    TempDir dir;
    dir.Write("Dravik.INI", std::string("[Setting]\r\n\0x", 14));
    std::filesystem::create_directory(dir / "folder.INI");
    ASSERT_EQ(::mkfifo((dir / "fifo.INI").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "gone", dir / "dangling.INI");

    std::string bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(dir / "Dravik.INI", bytes, &error));
    EXPECT_EQ(bytes, std::string("[Setting]\r\n\0x", 14));

    for (const char* name : {"folder.INI", "fifo.INI", "dangling.INI", "missing.INI"}) {
        bytes = "kept";
        EXPECT_FALSE(ReadWholeFile(dir / name, bytes, &error)) << name;
        EXPECT_EQ(bytes, "kept") << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}
