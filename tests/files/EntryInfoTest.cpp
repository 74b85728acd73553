// The file information's logic: the size line, the date fields and their limits, and
// what a change writes back to a real file.
#include "files/EntryInfo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace {

TEST(EntryInfo, SizeLines) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "サイズ :　　0ﾊﾞｲﾄ"},
        {1023, "サイズ :　　1023ﾊﾞｲﾄ"},
        {1024, "サイズ :　　1.000KB (1,024ﾊﾞｲﾄ)"},
        {1536, "サイズ :　　1.500KB (1,536ﾊﾞｲﾄ)"},
        // Exactly 1 MB still counts in KB; the MB form starts above it.
        {1048576, "サイズ :　　1024.000KB (1,048,576ﾊﾞｲﾄ)"},
        {1048577, "サイズ :　　1.000MB (1,048,577ﾊﾞｲﾄ)"},
        {157286400, "サイズ :　　150.000MB (157,286,400ﾊﾞｲﾄ)"},
        {1073741824, "サイズ :　　1024.000MB (1,073,741,824ﾊﾞｲﾄ)"},
        {3221225472u, "サイズ :　　3.000GB (3,221,225,472ﾊﾞｲﾄ)"},
        {4294967295u, "サイズ :　　4.000GB (4,294,967,295ﾊﾞｲﾄ)"},
    };
    for (const auto& [size, line] : cases)
        EXPECT_EQ(InfoSizeLine(size), line) << size;
}

TEST(EntryInfo, FieldLimits) {
    const char* year = "年数は1970以降でお願いします。";
    const char* month = "１から１２までしか入力出来ません";
    const char* day = "１から３１までしか入力出来ません";
    const char* hours = "０から２３までしか入力出来ません";
    const char* minutes = "０から５９までしか入力出来ません";
    struct Case {
        DateField field;
        const char* text;
        const char* message; // empty when it passes
    } cases[] = {
        {kYear, "1969", year},     {kYear, "1970", ""},   {kYear, "2107", ""},
        {kYear, "", year},         {kMonth, "0", month},  {kMonth, "1", ""},
        {kMonth, "12", ""},        {kMonth, "13", month}, {kDay, "0", day},
        {kDay, "31", ""},          {kDay, "32", day},     {kHours, "0", ""},
        {kHours, "23", ""},        {kHours, "24", hours}, {kMinutes, "59", ""},
        {kMinutes, "60", minutes}, {kSeconds, "00", ""},  {kSeconds, "60", minutes},
        {kSeconds, "", minutes},   {kHours, "007", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckDateField(c.field, c.text), c.message) << c.field << " " << c.text;
}

struct LocalTime : ::testing::Test {
    void SetUp() override {
        setenv("TZ", "JST-9", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(LocalTime, DatesThatDoNotExistAreRefused) {
    const std::pair<DateFields, bool> cases[] = {
        {{"2024", "02", "29", "10", "00", "00"}, true}, // a leap day
        {{"2023", "02", "29", "10", "00", "00"}, false},
        {{"2026", "02", "30", "10", "00", "00"}, false},
        {{"2026", "04", "31", "10", "00", "00"}, false},
        {{"2026", "12", "31", "23", "59", "59"}, true},
        {{"1969", "12", "31", "23", "59", "59"}, false}, // breaks a field limit
    };
    for (const auto& [fields, exists] : cases)
        EXPECT_EQ(ComposeLocalTime(fields).has_value(), exists) << InvalidDateMessage(fields);
    EXPECT_EQ(InvalidDateMessage({"2026", "02", "30", "10", "00", "00"}),
              "'2026/02/30 10:00:00' は正しい日付と時刻ではありません。");
}

TEST_F(LocalTime, TimeSetAndReadBackWithEvenSeconds) {
    TempDir dir;
    std::string path = dir.Write("O1.NC", "O1\n").string();
    std::optional<std::time_t> time = ComposeLocalTime({"2025", "03", "04", "05", "06", "07"});
    ASSERT_TRUE(time);
    ApplyOutcome outcome = ApplyEntryInfo(path, *time, false);
    EXPECT_TRUE(outcome.timeSet);
    EntryInfo info = ReadEntryInfo(path);
    EXPECT_FALSE(info.isFolder);
    EXPECT_EQ(info.size, 3u);
    EXPECT_EQ(info.modified, *time - 1);
    DateFields expected{"2025", "03", "04", "05", "06", "06"};
    EXPECT_EQ(SplitLocalTime(info.modified), expected);
}

struct Attributes : ::testing::Test {
    TempDir dir;
    std::string path;
    void SetUp() override {
        path = dir.Write("O2.NC", "O2\n").string();
        timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    void TearDown() override { SetEntryOpenFaultForTest(nullptr); }
    mode_t Mode() const {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }
};

TEST_F(Attributes, ReadOnlyClearedOnAReadOnlyFileKeepsTheTime) {
    ::chmod(path.c_str(), 0444);
    ASSERT_TRUE(ReadEntryInfo(path).readOnly);
    ApplyOutcome outcome = ApplyEntryInfo(path, 1800000000, false);
    // The read-only file could not be opened for writing before its attribute went.
    EXPECT_FALSE(outcome.timeSet);
    EXPECT_EQ(outcome.attributeError, 0);
    EXPECT_EQ(Mode(), 0644u);
    EXPECT_EQ(ReadEntryInfo(path).modified, 1700000000);
}

TEST_F(Attributes, FileInUseKeepsItsTimeButGetsTheAttribute) {
    // As root every open succeeds: the seam stands in for a file another program holds.
    SetEntryOpenFaultForTest([](const std::string&) { return EACCES; });
    ApplyOutcome outcome = ApplyEntryInfo(path, 1800000000, true);
    EXPECT_FALSE(outcome.timeSet);
    EXPECT_EQ(Mode(), 0444u);
    EXPECT_EQ(ReadEntryInfo(path).modified, 1700000000);
    EXPECT_TRUE(ReadEntryInfo(path).readOnly);
}

TEST_F(Attributes, FoldersKeepTheirTimeHiddenIsALeadingDot) {
    std::filesystem::create_directory(dir / ".hidden");
    std::string folder = (dir / ".hidden").string();
    EntryInfo before = ReadEntryInfo(folder);
    EXPECT_TRUE(before.isFolder);
    EXPECT_TRUE(before.hidden);
    EXPECT_FALSE(ReadEntryInfo(path).hidden);
    EXPECT_FALSE(ApplyEntryInfo(folder, 1800000000, false).timeSet);
    EXPECT_EQ(ReadEntryInfo(folder).modified, before.modified);
    // An entry that cannot be examined counts as a folder and nothing is written.
    EntryInfo gone = ReadEntryInfo((dir / "gone").string());
    EXPECT_TRUE(gone.isFolder);
    EXPECT_FALSE(ApplyEntryInfo((dir / "gone").string(), 1800000000, true).timeSet);
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

} // namespace
