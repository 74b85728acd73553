#include "nctools/AxisDoubling.h"

#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "support/Corpus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct LineCase {
    char axis;
    const char* line;
    const char* expected; // nullptr: not a number
};

std::string Doubled(char axis, std::string_view line, LineDoubling* result = nullptr) {
    std::string out;
    LineDoubling r = DoubleAxisInLine(line, axis, out);
    if (result)
        *result = r;
    return r == LineDoubling::NotANumber ? std::string("<not a number>") : out;
}

TEST(AxisDoubling, LinesAsTheOperatorWritesThem) {
    const LineCase cases[] = {
        {'X', "G01 X12.5 Y3.", "G01 X25.0 Y3."},
        {'X', "X-0.125", "X-0.250"},
        {'X', "X0.125", "X0.250"},
        {'X', "X2.675", "X5.350"},
        {'X', "X10", "X20"},
        {'X', "X10 Y5", "X20 Y5"},  // the blank that ends the run stays
        {'X', "X10   ", "X20   "},  // so do trailing blanks at the line end
        {'X', "X 10 Y5", "X20 Y5"}, // blanks before the value are replaced with it
        {'X', "X007", "X14"},       // leading zeros are not kept
        {'X', "X.5", "X1.0"},       // a digit before the point
        {'X', "X-.5", "X-1.0"},
        {'X', "X5.", "X10.0"}, // no decimals after the point: one
        {'X', "X-0", "X0"},    // no minus on a zero
        {'X', "X99999.99999", "X199999.99998"},
        {'X', "X1.1234567", "X2.2469134"}, // more than five decimals are all kept
        {'X', "X5Y5X5", "X10Y5X5"},        // only the first X
        {'X', "x10 X5", "x10 X10"},        // the search is case-sensitive
        {'Z', "G0Z0.2000", "G0Z0.4000"},
        {'X', "(FIX) X10.", "(FIX) X10."}, // the comment's X has an empty run
        {'X', "X-", "X-"},
        {'X', "Y5", "Y5"},
        {'X', "", ""},
        {'X', "GX", "GX"},
        // A run of blanks, or a minus among blanks, holds no value either: a comment
        // such as "(X )" would otherwise stop the whole conversion.
        {'X', "(X )", "(X )"},
        {'X', "X- Y1", "X- Y1"},
        {'X', "X1-2", nullptr},
        {'X', "X.", nullptr},
        {'X', "X1 2", nullptr},
        {'X', "X-.", nullptr},
        {'X', "X1..2", nullptr},
        {'X', "X--1", nullptr},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(Doubled(c.axis, c.line), c.expected ? c.expected : "<not a number>")
            << c.axis << " on " << c.line;
    // A line of 1 MB: the value is doubled digit by digit, never through a double.
    const std::string nines(1u << 20, '9');
    EXPECT_EQ(Doubled('X', "G1X" + nines + " Y1"), "G1X1" + nines.substr(1) + "8 Y1");
}

TEST(AxisDoubling, RoundsHalfAwayFromZeroOnTheDecimalText) {
    struct Case {
        const char* value;
        size_t decimals;
        const char* expected;
    } cases[] = {
        {"2.675", 2, "5.35"},        // 5.35 exactly, where binary gives 5.34999...
        {"1.2345", 2, "2.47"},       // 2.469
        {"0.0000025", 5, "0.00001"}, // exactly half: away from zero
        {"-0.0000025", 5, "-0.00001"},
        {"-0.000001", 5, "0.00000"}, // rounds to zero: no minus
        {"0.25", 0, "1"},
        {"-0.25", 0, "-1"},
        {"4.99999995", 6, "10.000000"},
        {"123", 3, "246.000"},
        {"-", 1, ""},
        {"1-2", 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DoubleDecimalText(c.value, c.decimals), c.expected) << c.value;
}

TEST(AxisDoubling, OutputNameAndAxisField) {
    struct Case {
        const char* source;
        const char* mask;
        const char* expected;
    } names[] = {
        {"O1234.NC", "*.NC", "O1234_2.NC"},
        {"O1234", "*.NC", "O1234_2.NC"},
        {"A.B.NC", "*.NC", "A.B_2.NC"},
        {"O1.TXT", "*.nc", "O1_2.nc"},
    };
    for (const Case& c : names)
        EXPECT_EQ(DoubledFileName(c.source, c.mask), c.expected);

    EXPECT_EQ(AxisFromField("x"), 'X');
    EXPECT_EQ(AxisFromField("W"), 'W');
    EXPECT_EQ(AxisFromField(""), 0);
    EXPECT_EQ(AxisFromField("A"), 0);
}

// The rule written the plain way: the number parsed into an integer of
// hundred-thousandths and printed with printf.
std::string ReferenceDoubled(char axis, const std::string& line) {
    size_t p = line.find(axis);
    if (p == std::string::npos)
        return line;
    size_t end = p + 1;
    while (end < line.size() && std::string("0123456789.- ").find(line[end]) != std::string::npos)
        ++end;
    std::string run = line.substr(p + 1, end - p - 1);
    size_t last = run.find_last_not_of(' ');
    size_t first = run.find_first_not_of(' ');
    if (last == std::string::npos || run.substr(first, last + 1 - first) == "-")
        return line;
    std::string value = run.substr(first, last + 1 - first);
    bool negative = value[0] == '-';
    std::string digits = negative ? value.substr(1) : value;
    size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 5 ||
        whole.find_first_not_of("0123456789") != std::string::npos ||
        fraction.find_first_not_of("0123456789") != std::string::npos || whole.size() > 12)
        return "<skip>";
    long long scaled =
        std::stoll((whole.empty() ? "0" : whole) + (fraction + "00000").substr(0, 5));
    scaled *= 2;
    int decimals = point == std::string::npos ? 0 : std::max<int>(1, int(fraction.size()));
    long long unit = 1;
    for (int i = decimals; i < 5; ++i)
        unit *= 10;
    char text[128];
    if (decimals == 0)
        std::snprintf(text, sizeof text, "%s%lld", negative && scaled ? "-" : "", scaled / 100000);
    else
        std::snprintf(text, sizeof text, "%s%lld.%0*lld", negative && scaled ? "-" : "",
                      scaled / 100000, decimals & 7, (scaled % 100000) / unit);
    return line.substr(0, p + 1) + text + line.substr(p + 1 + last + 1);
}

TEST(AxisDoubling, AgreesWithPlainReferenceOnEveryCorpusLine) {
    for (const char* name : {"01_fanucbackup_ALL-PROG.TXT", "33_camotics_flower_mold_403k.nc",
                             "19_brown_O9250_crlf.nc", "28_probekit_fadal_O9102_L9101.NC"}) {
        ViewFileText file = ReadFileForView(CorpusFile(name));
        ASSERT_NE(file.size, kUnknownFileSize) << name;
        TextDocument doc;
        doc.SetText(std::move(file.text));
        size_t compared = 0;
        for (char axis : std::string("XYZIJK")) {
            for (size_t i = 0; i < doc.LineCount(); ++i) {
                const std::string line(doc.Line(i));
                const std::string expected = ReferenceDoubled(axis, line);
                if (expected == "<skip>")
                    continue;
                ASSERT_EQ(Doubled(axis, line), expected) << name << " line " << i + 1;
                ++compared;
            }
        }
        EXPECT_GT(compared, doc.LineCount()) << name;
    }
}

class AxisDoublingFile : public ::testing::Test {
protected:
    void TearDown() override { SetFileWriteFaultForTest(nullptr); }

    DoublingOutcome Run(const std::string& text, const std::string& outputName = "O1_2.NC",
                        DoublingProgress progress = {}) {
        doc.SetText(text);
        DoublingOptions options{'X', dir.path().string(), "O1.NC", outputName};
        return DoubleAxisToFile(doc, options, progress);
    }

    TempDir dir;
    TextDocument doc;
};

TEST_F(AxisDoublingFile, WritesEveryLineWithCrLfFromTheFanucPunchOut) {
    ViewFileText file = ReadFileForView(CorpusFile("01_fanucbackup_ALL-PROG.TXT"));
    doc.SetText(std::move(file.text));
    std::vector<size_t> reported;
    DoublingOptions options{'Y', dir.path().string(), "ALL-PROG.TXT", "ALL-PROG_2.NC"};
    DoublingOutcome outcome = DoubleAxisToFile(doc, options, [&](size_t next) {
        reported.push_back(next);
        return true;
    });
    ASSERT_EQ(outcome.status, DoublingOutcome::Status::Done) << outcome.error;
    std::string expected;
    for (size_t i = 0; i < doc.LineCount(); ++i)
        expected += Doubled('Y', doc.Line(i)) + "\r\n";
    EXPECT_EQ(TempDir::Read(dir / "ALL-PROG_2.NC"), expected);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), doc.LineCount());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
}

TEST_F(AxisDoublingFile, FailuresLeaveNoOutputAndKeepAnOlderFile) {
    struct Case {
        const char* what;
        std::string text;
        std::string outputName;
        int fault;        // errno injected at the given write, 0 for none
        int faultAtWrite; // 1: creating the file, 2: the first block, ...
        bool cancel;
        DoublingOutcome::Status status;
        size_t line;
    };
    std::string big;
    for (int i = 0; i < 400000; ++i)
        big += "G01X1.234Y2\n"; // more than one 4 MB block once doubled
    const std::vector<Case> cases = {
        {"not a number on line 3", "G0X1\nX2\nX1-2\nX4\n", "O1_2.NC", 0, 0, false,
         DoublingOutcome::Status::NotANumber, 2},
        {"read-only folder", "X1\n", "O1_2.NC", EROFS, 1, false,
         DoublingOutcome::Status::WriteFailed, 0},
        {"disk full after the first block", big, "O1_2.NC", ENOSPC, 3, false,
         DoublingOutcome::Status::WriteFailed, 0},
        {"mask *.* names no file", "X1\n", "O1_2.*", 0, 0, false,
         DoublingOutcome::Status::WriteFailed, 0},
        {"mask with a folder in it", "X1\n", "O1_2/x", 0, 0, false,
         DoublingOutcome::Status::WriteFailed, 0},
        {"cancelled", big, "O1_2.NC", 0, 0, true, DoublingOutcome::Status::Cancelled, 4096},
    };
    for (const Case& c : cases) {
        dir.Write("O1_2.NC", "OLDER\r\n");
        int writes = 0;
        SetFileWriteFaultForTest(
            [&](const std::filesystem::path&) { return ++writes == c.faultAtWrite ? c.fault : 0; });
        DoublingOutcome outcome = Run(c.text, c.outputName, [&](size_t) { return !c.cancel; });
        EXPECT_EQ(outcome.status, c.status) << c.what;
        EXPECT_EQ(outcome.line, c.line) << c.what;
        if (c.status == DoublingOutcome::Status::WriteFailed) {
            EXPECT_NE(outcome.error.find(c.outputName), std::string::npos) << c.what;
        }
        EXPECT_EQ(TempDir::Read(dir / "O1_2.NC"), "OLDER\r\n") << c.what;
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
            ++files;
        EXPECT_EQ(files, 1u) << c.what << ": no temporary left behind";
    }
}

TEST_F(AxisDoublingFile, ReplacesAnOlderOutputAndKeepsTheLastLineWithoutLineEnd) {
    dir.Write("O1_2.NC", "OLDER\r\n");
    ASSERT_EQ(Run("%\nO1\nG01 X12.5 Y3.\nX-0.125").status, DoublingOutcome::Status::Done);
    EXPECT_EQ(TempDir::Read(dir / "O1_2.NC"), "%\r\nO1\r\nG01 X25.0 Y3.\r\nX-0.250\r\n");
    ASSERT_EQ(Run("").status, DoublingOutcome::Status::Done);
    EXPECT_EQ(TempDir::Read(dir / "O1_2.NC"), "");
}

} // namespace
