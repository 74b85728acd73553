// The file information's logic: the size line, the date fields and their limits, and
// what a change writes back to a real file.
#include "files/EntryInfo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

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

// The epoch and times beyond four-digit years come apart without throwing: the
// dialog of a file dated 0 (a removed entry's time) shows its date.
TEST_F(LocalTime, AnyTimeSplitsIntoFieldsOrEmptyFields) {
    const std::pair<std::time_t, DateFields> cases[] = {
        {0, {"1970", "01", "01", "09", "00", "00"}},
        {1, {"1970", "01", "01", "09", "00", "00"}},
        {-32401, {"1969", "12", "31", "23", "59", "58"}},
        {253402268399, {"9999", "12", "31", "23", "59", "58"}}, // the last second of 9999
        {253402268400, {}},                                     // year 10000
        {std::numeric_limits<std::time_t>::max(), {}},
    };
    for (const auto& [time, fields] : cases)
        EXPECT_EQ(SplitLocalTime(time), fields) << time;
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(SplitLocalTime(0), (DateFields{"1970", "01", "01", "00", "00", "00"}));
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
    void TearDown() override { SetEntryFaultForTest(nullptr); }
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

// As root nothing is refused: the seam stands in for a file of someone else (no
// write permission, or a new time that only the owner may set) and for a mode
// change the system refuses. A refused time writes nothing more.
TEST_F(Attributes, RefusalsAreReportedAndARefusedTimeWritesNothingMore) {
    struct Case {
        EntryCall failing;
        int error;
        std::time_t time;
        bool readOnly;
        ApplyOutcome outcome;
        mode_t mode;
        std::time_t modified;
    } cases[] = {
        {EntryCall::OpenForWriting, EACCES, 1800000000, true, {false, EACCES, 0}, 0644, 1700000000},
        {EntryCall::SetTime, EPERM, 1800000000, true, {false, EPERM, 0}, 0644, 1700000000},
        {EntryCall::SetMode, EPERM, 1800000000, true, {true, 0, EPERM}, 0644, 1800000000},
        // The time as shown is not written again, so only the attribute can fail.
        {EntryCall::SetTime, EPERM, 1700000001, true, {false, 0, 0}, 0444, 1700000000},
        {EntryCall::OpenForWriting, EACCES, 1700000000, true, {false, 0, 0}, 0444, 1700000000},
    };
    for (const Case& c : cases) {
        ::chmod(path.c_str(), 0644);
        timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        SetEntryFaultForTest(
            [&c](EntryCall call, const std::string&) { return call == c.failing ? c.error : 0; });
        ApplyOutcome outcome = ApplyEntryInfo(path, c.time, c.readOnly);
        const std::string label = std::to_string(int(c.failing)) + " " + std::to_string(c.time);
        EXPECT_EQ(outcome.timeSet, c.outcome.timeSet) << label;
        EXPECT_EQ(outcome.timeError, c.outcome.timeError) << label;
        EXPECT_EQ(outcome.attributeError, c.outcome.attributeError) << label;
        EXPECT_EQ(Mode(), c.mode) << label;
        EXPECT_EQ(ReadEntryInfo(path).modified, c.modified) << label;
    }
}

// Entries that cannot be followed: a link to nothing and a link loop show the link
// itself; an entry gone since the listing says why, and a new time for it is refused.
TEST_F(Attributes, LinksThatLeadNowhereAndEntriesThatAreGone) {
    std::filesystem::create_symlink(dir / "nothing", dir / "DANGLING.NC");
    std::filesystem::create_symlink(dir / "LOOP.NC", dir / "LOOP.NC");
    for (const char* name : {"DANGLING.NC", "LOOP.NC"}) {
        EntryInfo link = ReadEntryInfo((dir / name).string());
        EXPECT_EQ(link.error, 0) << name;
        EXPECT_FALSE(link.isFolder) << name;
        EXPECT_GT(link.modified, 0) << name;
        ApplyOutcome outcome = ApplyEntryInfo((dir / name).string(), 1800000000, false);
        EXPECT_FALSE(outcome.timeSet) << name;
        EXPECT_NE(outcome.timeError, 0) << name;
    }
    EntryInfo gone = ReadEntryInfo((dir / "gone").string());
    EXPECT_EQ(gone.error, ENOENT);
    EXPECT_EQ(ApplyEntryInfo((dir / "gone").string(), 1800000000, true).timeError, ENOENT);
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
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
    // An entry that cannot be examined counts as a folder.
    EXPECT_TRUE(ReadEntryInfo((dir / "gone").string()).isFolder);
}

} // namespace
