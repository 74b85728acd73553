// Listing on real temporary folders: what the rows, entries, path line, detail line
// and current row are after each kind of listing, and the bad input a folder can hold.
#include "files/Listing.h"
#include "files/DirectoryScan.h"
#include "files/FindPattern.h"
#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "support/FakeListingView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace {

struct Listing : ::testing::Test {
    TempDir dir;
    TSettings settings;
    FileListModel model;
    FakeView view;

    void SetUp() override {
        settings.DirPath = dir.path().string();
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void List(bool keepPattern = false, bool keepSelection = false, bool resortOnly = false) {
        ListDirectory(model, settings, view, keepPattern, keepSelection, resortOnly);
    }
    void WriteSized(const std::string& name, off_t size, time_t mtime = 1700000000) {
        std::string path = (dir / name).string();
        int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0); // sparse: no blocks for the big ones
        ::close(fd);
        SetTime(name, mtime);
    }
    void SetTime(const std::string& name, time_t mtime) {
        timespec times[2] = {{mtime, 0}, {mtime, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
    }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const FileEntry& entry : model.files)
            names.push_back(entry.name);
        return names;
    }
    std::string Trimmed(int row) const {
        std::string text = model.rows[static_cast<size_t>(row)];
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }
};

TEST_F(Listing, MaskInLowerCaseMatchesUpperCaseFilesAndHidesExtensions) {
    for (const char* name : {"A.NC", "b.nc", "C.NCX", "D"})
        WriteSized(name, 10);
    settings.ALLFiles = "N";
    settings.Mask = "*.nc";
    List();
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"A.NC", "b.nc"}));
    EXPECT_EQ(model.rows.size(), 3u);
    EXPECT_EQ(Trimmed(1), " A                  10 23-11-14 22:13");
    EXPECT_EQ(view.pathLine.substr(0, settings.DirPath.size() + 11),
              " Path=" + settings.DirPath + "/*.nc");

    settings.ALLFiles = "Y";
    List();
    EXPECT_EQ(model.files.size(), 4u);
    EXPECT_NE(view.pathLine.find("/*.*"), std::string::npos);
    EXPECT_EQ(view.pathLine.substr(67), "     ﾌｧｲﾙ数 :4");
}

TEST_F(Listing, SortsBySizeNameAndDateInBothDirections) {
    WriteSized("M.NC", 300, 1700000400);
    WriteSized("a.NC", 100, 1700000000);
    WriteSized("Z.NC", 200, 1700000200);
    WriteSized("B.NC", 3000000000, 1700000100); // low 32 bits negative as signed
    auto sorted = [&](const char* key, const char* direction) {
        settings.FileSort = key;
        settings.SortMuki = direction;
        List();
        return FileNames();
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(sorted("S", "D"), (Names{"M.NC", "Z.NC", "a.NC", "B.NC"}));
    EXPECT_EQ(sorted("S", "U"), (Names{"B.NC", "a.NC", "Z.NC", "M.NC"}));
    EXPECT_EQ(sorted("N", "D"), (Names{"B.NC", "M.NC", "Z.NC", "a.NC"})); // C.UTF-8 collation
    EXPECT_EQ(sorted("N", "x"), (Names{"a.NC", "Z.NC", "M.NC", "B.NC"}));
    EXPECT_EQ(sorted("T", "D"), (Names{"a.NC", "B.NC", "Z.NC", "M.NC"}));
    EXPECT_EQ(sorted("T", "U"), (Names{"M.NC", "Z.NC", "B.NC", "a.NC"}));
    // An unknown sort key keeps the last one.
    EXPECT_EQ(sorted("Q", "U"), (Names{"M.NC", "Z.NC", "B.NC", "a.NC"}));
    EXPECT_EQ(model.sortKey, 3);
}

TEST_F(Listing, UnsortedFilesStandInReverseEnumerationOrder) {
    for (const char* name : {"1.NC", "2.NC", "3.NC"})
        WriteSized(name, 1);
    std::vector<std::string> enumerated;
    ScanDirectory(settings.DirPath, "*.*",
                  [&](ScannedEntry&& entry) { enumerated.push_back(entry.name); });
    settings.FileSort = "?"; // no sort key before the first listing: no sort
    List();
    std::reverse(enumerated.begin(), enumerated.end());
    EXPECT_EQ(FileNames(), enumerated);
    EXPECT_EQ(model.sortKey, 0);
}

TEST_F(Listing, EqualSizesKeepBothEntries) {
    WriteSized("X.NC", 5);
    WriteSized("Y.NC", 5);
    settings.FileSort = "S";
    List();
    auto names = FileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"X.NC", "Y.NC"}));
}

TEST_F(Listing, ASparseFileOf100000000BytesOverflowsTheSizeColumn) {
    WriteSized("BIG.NC", 100000000);
    List();
    ASSERT_EQ(model.files.size(), 1u);
    EXPECT_EQ(model.files[0].sizeText, "100000000");
    EXPECT_EQ(Trimmed(1), " BIG     .NC  ******** 23-11-14 22:13");
    EXPECT_EQ(RowDetailText(model, 1),
              "　　ﾌｧｲﾙ詳細 :BIG.NC  ｻｲｽﾞ :95.367MB  日付 :2023-11-14 22:13:20");
}

TEST_F(Listing, FoldersComeFirstInEnumerationOrderAfterTheParentRow) {
    std::filesystem::create_directory(dir / "ZDIR");
    std::filesystem::create_directory(dir / "ADIR");
    SetTime("ZDIR", 1700000001);
    WriteSized("F.NC", 1);
    List();
    ASSERT_EQ(model.rows.size(), 4u);
    EXPECT_EQ(model.parentRows, 1);
    EXPECT_EQ(model.rows[0].substr(0, 23), " ..              <DIR> ");
    std::vector<std::string> enumerated;
    ScanDirectory(settings.DirPath, "*.*", [&](ScannedEntry&& entry) {
        if (entry.isFolder)
            enumerated.push_back(entry.name);
    });
    ASSERT_EQ(model.folders.size(), 2u);
    EXPECT_EQ(model.folders[0].name, enumerated[0]);
    int zRow = model.folders[0].name == "ZDIR" ? 1 : 2;
    EXPECT_EQ(Trimmed(zRow), " ZDIR            <DIR> 23-11-14 22:13");
    EXPECT_EQ(RowDetailText(model, zRow), "　  ﾌｫﾙﾀﾞ詳細:<DIR>ZDIR  日付 :2023-11-14 22:13:21");
    EXPECT_EQ(RowDetailText(model, 0), "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)");
    EXPECT_EQ(model.FirstFileRow(), 3);
    EXPECT_EQ(view.pathLine.substr(67), "     ﾌｧｲﾙ数 :3"); // the parent row is not counted
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(view.detailLine, "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)");

    settings.ListColumn = 4;
    List();
    EXPECT_EQ(model.rows[0], " ..");
    EXPECT_EQ(Trimmed(zRow), " <DIR>ZDIR");
}

TEST_F(Listing, TheScanShowsItsRowAndFourQuestionMarksFirst) {
    WriteSized("F.NC", 1);
    List();
    ASSERT_EQ(view.scanLines.size(), 1u);
    EXPECT_EQ(view.scanLines[0].substr(67), "     ﾌｧｲﾙ数 :????");
}

TEST_F(Listing, KeepSelectionFollowsTheFileAcrossAResort) {
    WriteSized("A.NC", 1);
    WriteSized("B.NC", 2);
    WriteSized("C.NC", 3);
    List();
    view.current = 1; // A.NC, first by name
    settings.FileSort = "S";
    List(false, true, true);
    EXPECT_EQ(model.files[static_cast<size_t>(model.RowToFileIndex(view.current))].name, "A.NC");
    EXPECT_EQ(view.current, 3);
    // Space: the same file current after a re-read.
    List(false, true, false);
    EXPECT_EQ(view.current, 3);
    // Without keepSelection the first row.
    List();
    EXPECT_EQ(view.current, 0);
}

TEST_F(Listing, AFileRemovedBetweenListingsSelectsRowZero) {
    WriteSized("A.NC", 1);
    WriteSized("B.NC", 2);
    List();
    view.current = 2;
    std::filesystem::remove(dir / model.EntryName(2));
    List(false, true, false);
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(model.files.size(), 1u);
}

TEST_F(Listing, ANameHandedOverByRenameBecomesCurrent) {
    WriteSized("A.NC", 1);
    WriteSized("B.NC", 2);
    std::filesystem::create_directory(dir / "SUB");
    List();
    std::filesystem::rename(dir / "A.NC", dir / "Z.NC");
    model.renamedName = "Z.NC";
    List(); // as the rename lists: without keepSelection
    EXPECT_EQ(model.EntryName(view.current), "Z.NC");
    EXPECT_TRUE(model.renamedName.empty());
    // A renamed folder too.
    std::filesystem::rename(dir / "SUB", dir / "NEWSUB");
    model.renamedName = "NEWSUB";
    List();
    EXPECT_EQ(view.current, 1);
    // The next listing goes back to the rules.
    List();
    EXPECT_EQ(view.current, 0);
}

TEST_F(Listing, NothingHappensWhileARenameRuns) {
    WriteSized("A.NC", 1);
    List();
    WriteSized("B.NC", 1);
    model.renameRunning = true;
    List();
    EXPECT_EQ(model.files.size(), 1u);
    EXPECT_EQ(view.shows, 1);
}

TEST_F(Listing, EveryListingEmptiesTheMarks) {
    WriteSized("A.NC", 1);
    List();
    model.marks.Add(1);
    model.marks.multiSend = true;
    model.SetMarkColumn(1, true);
    List(false, true, true);
    EXPECT_EQ(model.marks.Count(), 0);
    EXPECT_FALSE(model.marks.multiSend);
    EXPECT_EQ(model.rows[1][0], ' ');
}

TEST_F(Listing, NamesWithBlanksJapaneseAndBadBytesAreShown) {
    WriteSized("MY PART.NC", 1);
    WriteSized("加工プログラム.NC", 1);
    WriteSized("\x83\x65\x83\x58\x83\x67.NC", 1); // Shift-JIS
    WriteSized("\xff\xfe.NC", 1);
    WriteSized("LINE\nFEED.NC", 1);
    WriteSized(std::string(251, 'L') + ".NC", 1); // 255 bytes
    settings.ListColumn = 4;
    List();
    ASSERT_EQ(model.files.size(), 6u);
    std::vector<std::string> rows;
    for (int r = 1; r < model.RowCount(); ++r)
        rows.push_back(Trimmed(r));
    std::sort(rows.begin(), rows.end());
    // Undecodable bytes show as replacement characters of two columns each.
    EXPECT_EQ(rows, (std::vector<std::string>{" LINE?F~1.NC", " LLLLLL~1.NC", " MY PART .NC",
                                              " テスト  .NC", " 加工プ~1.NC",
                                              " \xEF\xBF\xBD\xEF\xBF\xBD    .NC"}));
    // The entries keep the bytes, so the files can still be opened.
    for (const FileEntry& entry : model.files)
        EXPECT_TRUE(std::filesystem::exists(dir / entry.name)) << entry.name;
}

TEST_F(Listing, AnUnreadableFolderGivesTheEmptyListing) {
    WriteSized("A.NC", 1);
    g_scanOpenFault = EACCES;
    List();
    g_scanOpenFault = 0;
    EXPECT_EQ(model.rows, (std::vector<std::string>{" ..              <DIR>"}));
    EXPECT_EQ(model.parentRows, 1);
    EXPECT_TRUE(model.files.empty());
    EXPECT_EQ(view.pathLine.substr(67), "     ﾌｧｲﾙ数 :0");
    EXPECT_EQ(view.detailLine, "");
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(view.focuses, 1);
    EXPECT_TRUE(view.scanLines.empty());
}

TEST_F(Listing, AFolderUnreadableToAnUnprivilegedUserGivesTheEmptyListing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch users";
    // The listing runs in a child that has dropped to nobody; root reads every folder.
    std::filesystem::create_directory(dir / "closed");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod((dir / "closed").c_str(), 0700);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        settings.DirPath = (dir / "closed").string();
        List();
        bool empty = model.files.empty() && model.rows.size() == 1 && view.detailLine.empty();
        ::_exit(empty ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Listing, AWorkingDirectoryRemovedWhileShownGivesTheEmptyListing) {
    settings.DirPath = (dir / "gone").string();
    std::filesystem::create_directory(settings.DirPath);
    WriteSized("gone/A.NC", 1);
    List();
    EXPECT_EQ(model.files.size(), 1u);
    std::filesystem::remove_all(settings.DirPath);
    List(false, true, false);
    EXPECT_TRUE(model.files.empty());
    EXPECT_EQ(model.rows.size(), 1u);
}

TEST_F(Listing, AnEmptyFolderShowsTheParentRowWithItsHint) {
    List();
    EXPECT_EQ(model.rows.size(), 1u);
    EXPECT_EQ(view.detailLine, "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)");
    EXPECT_EQ(view.pathLine.substr(67), "     ﾌｧｲﾙ数 :0");
}

TEST_F(Listing, TheRootHasNoParentRow) {
    settings.DirPath = "/";
    List();
    EXPECT_EQ(model.parentRows, 0);
    EXPECT_GT(model.folders.size(), 0u);
    EXPECT_EQ(model.rows[0].substr(0, 3), " " + model.folders[0].name.substr(0, 2));
    EXPECT_EQ(view.pathLine.substr(0, 10), " Path=/*.*");
}

TEST_F(Listing, AFifoIsListedAsAFileWithoutBlocking) {
    ASSERT_EQ(::mkfifo((dir / "PIPE.NC").c_str(), 0644), 0);
    List();
    ASSERT_EQ(model.files.size(), 1u);
    EXPECT_EQ(model.files[0].sizeText, "0");
}

TEST_F(Listing, TheFindPatternIsKeptWhenAsked) {
    WriteSized("O1000.NC", 1);
    WriteSized("O2000.NC", 1);
    model.searchPattern = settings.DirPath + "/o1*.nc";
    List(true);
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"O1000.NC"}));
    model.searchPattern = settings.DirPath + "/X*";
    List(true);
    EXPECT_TRUE(model.files.empty()); // nothing matched: the empty listing
    List();
    EXPECT_EQ(model.files.size(), 2u);
    EXPECT_EQ(model.searchPattern, settings.DirPath + "/*.*");
}

TEST_F(Listing, OptionThreeShowsTheListInUpperCase) {
    WriteSized("abc.nc", 1);
    settings.op3 = "Y";
    settings.ListColumn = 4;
    List();
    EXPECT_EQ(Trimmed(1), " ABC     .NC");
    EXPECT_EQ(model.files[0].name, "abc.nc");
}

TEST_F(Listing, AHundredThousandEntriesAreListed) {
    // In memory where there is such a file system: creating 100000 files on a disk
    // takes longer than everything else here.
    const char* oldTmp = getenv("TMPDIR");
    std::string savedTmp = oldTmp ? oldTmp : "";
    if (std::filesystem::is_directory("/dev/shm"))
        setenv("TMPDIR", "/dev/shm", 1);
    TempDir big;
    oldTmp ? setenv("TMPDIR", savedTmp.c_str(), 1) : unsetenv("TMPDIR");
    settings.DirPath = big.path().string();
    for (int i = 0; i < 100000; ++i) {
        int fd =
            ::open((big / ("O" + std::to_string(i) + ".NC")).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    List();
    EXPECT_EQ(model.files.size(), 100000u);
    EXPECT_EQ(model.RowCount(), 100001);
    EXPECT_GE(view.pumps, 90); // the window is repainted during the scan
    EXPECT_EQ(view.pathLine.substr(67), "     ﾌｧｲﾙ数 :100000");
}

TEST(Wildcard, MatchesWithoutRegardToCase) {
    EXPECT_TRUE(MatchesWildcard("O1000.NC", "*.nc"));
    EXPECT_TRUE(MatchesWildcard("noext", "*.*"));
    EXPECT_TRUE(MatchesWildcard("noext", "noext.*"));
    EXPECT_TRUE(MatchesWildcard("O1000.NC", "o1??0.*"));
    EXPECT_FALSE(MatchesWildcard("O1000.NCX", "*.NC"));
    EXPECT_FALSE(MatchesWildcard("O100.NC", "O1??0.NC"));
    EXPECT_TRUE(MatchesWildcard("a.b.c", "*.c"));
}

} // namespace

namespace {

// The find dialog's narrowing as an operator meets it: names in both cases, other
// extensions, the text with and without its "*", then a re-sort and a re-list.
TEST_F(Listing, FindNarrowsByNameStartWithoutRegardToCaseAndShowsThePattern) {
    for (const char* name : {"O1.NC", "O100.NC", "o1234.nc", "O2.NC", "O1.TXT", "XO1.NC"})
        WriteSized(name, 1);
    settings.Mask = "*.NC";
    settings.ALLFiles = "N";
    settings.FileSort = "N";
    settings.SortMuki = "D";
    const std::vector<std::string> expected{"O1.NC", "O100.NC", "o1234.nc"};
    for (const char* text : {"O1", "O1*", "o1"}) {
        model.searchPattern = FindSearchPattern(settings.DirPath, text, settings.Mask);
        List(true);
        std::vector<std::string> names = FileNames();
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return AsciiUpper(a) < AsciiUpper(b);
        });
        EXPECT_EQ(names, expected) << text;
        EXPECT_EQ(view.pathLine.substr(0, view.pathLine.find("  ")), " Path=" + model.searchPattern)
            << text;
    }
    EXPECT_TRUE(IsNarrowed(model, settings));

    settings.SortMuki = "U";
    List(false, true, true); // a re-sort keeps the narrowed entries
    EXPECT_EQ(model.files.size(), 3u);
    EXPECT_EQ(model.files.front().name, "o1234.nc");

    List(); // every other listing shows the whole folder again
    EXPECT_EQ(model.files.size(), 5u);
    EXPECT_FALSE(IsNarrowed(model, settings));
    EXPECT_EQ(view.pathLine.substr(0, view.pathLine.find("  ")),
              " Path=" + settings.DirPath + "/*.NC");
}

TEST_F(Listing, FindThatMatchesNothingNamesItsPatternOnTheEmptyListing) {
    WriteSized("O1.NC", 1);
    settings.Mask = "*.NC";
    model.searchPattern = FindSearchPattern(settings.DirPath, "Z", settings.Mask);
    List(true);
    EXPECT_TRUE(model.files.empty());
    EXPECT_EQ(view.pathLine.substr(0, view.pathLine.find("  ")),
              " Path=" + settings.DirPath + "/Z*.NC");
}

} // namespace
