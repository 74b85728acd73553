#include "files/HistoryList.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryList, UpdateRule) {
    std::vector<std::string> entries = {"/nc/a", "/nc/b", "/nc/c"};
    UpdateHistory(entries, "/nc/b");
    EXPECT_EQ(entries, (std::vector<std::string>{"/nc/b", "/nc/a", "/nc/c"}));
    UpdateHistory(entries, "/NC/b"); // another text: letter case counts
    EXPECT_EQ(entries.front(), "/NC/b");
    EXPECT_EQ(entries.size(), 4u);
    UpdateHistory(entries, "/nc/d/"); // kept as typed, trailing separator included
    EXPECT_EQ(entries.front(), "/nc/d/");

    std::vector<std::string> full;
    for (int i = 0; i < 21; ++i)
        UpdateHistory(full, "/p" + std::to_string(i));
    ASSERT_EQ(full.size(), 20u);
    EXPECT_EQ(full.front(), "/p20");
    EXPECT_EQ(full.back(), "/p1");
}

TEST(HistoryList, SavedWithCrLfAndLoadedWhole) {
    TempDir dir;
    std::vector<std::string> entries = {"/nc/ｱ", "", "/b"};
    ASSERT_TRUE(SaveHistory(dir / "Path.lst", entries));
    EXPECT_EQ(TempDir::Read(dir / "Path.lst"), "/nc/ｱ\r\n\r\n/b\r\n");
    std::vector<std::string> loaded;
    ASSERT_TRUE(LoadHistory(dir / "Path.lst", loaded));
    EXPECT_EQ(loaded, entries);

    // A list edited by hand: 30 lines, LF only, no final line end, one in Shift-JIS.
    std::string text = "\x83\x74\x83\x40\x83\x43\x83\x8b\n"; // ファイル
    for (int i = 1; i < 30; ++i)
        text += "/dir" + std::to_string(i) + (i < 29 ? "\n" : "");
    dir.Write("FIND.LST", text);
    ASSERT_TRUE(LoadHistory(dir / "FIND.LST", loaded));
    ASSERT_EQ(loaded.size(), 30u);
    EXPECT_EQ(loaded.front(), "ファイル");
    EXPECT_EQ(loaded.back(), "/dir29");

    // A missing file keeps what the list held.
    EXPECT_FALSE(LoadHistory(dir / "NAME.lst", loaded));
    EXPECT_EQ(loaded.size(), 30u);
    // A folder in the list's place is a list that cannot be read, not an error.
    std::filesystem::create_directory(dir / "folder.lst");
    EXPECT_FALSE(LoadHistory(dir / "folder.lst", loaded));
    EXPECT_EQ(loaded.size(), 30u);
}

TEST(HistoryList, APathListKeepsTheBytesOfAShiftJisFolder) {
    TempDir dir;
    const std::string sjis = "/mnt/\x89\xc1\x8d\x48"; // a folder "加工" made on Windows
    ASSERT_TRUE(SaveHistory(dir / "Path.lst", {sjis, "/nc"}));
    std::vector<std::string> loaded;
    ASSERT_TRUE(LoadHistory(dir / "Path.lst", loaded, HistoryKind::Paths));
    EXPECT_EQ(loaded, (std::vector<std::string>{sjis, "/nc"}));
    ASSERT_TRUE(LoadHistory(dir / "Path.lst", loaded)); // a text list decodes it
    EXPECT_EQ(loaded.front(), "/mnt/加工");
}

TEST(HistoryList, FailedSaveNamesTheFile) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(SaveHistory(dir / "missing" / "Path.lst", {"/a"}, &error));
    EXPECT_NE(error.find("Path.lst"), std::string::npos);
}

} // namespace
