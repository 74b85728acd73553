#include "transfer/ReceiveText.h"
#include "platform/SafeFileName.h"
#include "transfer/ReceiveNaming.h"

#include <gtest/gtest.h>

namespace {

std::string Reformat(std::string_view received, bool cutBlanks) {
    ReceiveLineBuffer buffer(cutBlanks);
    buffer.Start(static_cast<unsigned char>(received[0]));
    for (char c : received.substr(1))
        buffer.Add(static_cast<unsigned char>(c));
    return buffer.Text();
}

TEST(ReceiveTextTest, BlankRuleSeparatesWordsOrDropsBlanks) {
    struct Case {
        const char* received;
        const char* keepBlanks; // Read_SP_Cut "N"
        const char* cutBlanks;  // Read_SP_Cut "Y"
    };
    const Case cases[] = {
        {"G01X10.Y20.F100", "G01 X10. Y20. F100", "G01X10.Y20.F100"},
        {"N10 G01 X-5.", "N10 G01 X-5.", "N10G01X-5."},
        {"G 01", "G 01", "G01"},
        {"G01(CUT  HERE)X1", "G01(CUT  HERE) X1", "G01(CUT  HERE)X1"},
        {"M30 ", "M30", "M30"},
        {"G1x2y3", "G123", "G123"}, // lower case is dropped
        {"#1=#2*3", "#1= #2*3", "#1=#2*3"},
        {"X1\"A\"", "X1 \"A\"", "X1\"A\""},
        {"G1\x01\x7F\xC1Z2", "G1 Z2", "G1Z2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Reformat(c.received, false), c.keepBlanks) << c.received;
        EXPECT_EQ(Reformat(c.received, true), c.cutBlanks) << c.received;
    }
}

TEST(ReceiveTextTest, PercentIsTrackedThroughChanges) {
    ReceiveLineBuffer buffer(false);
    buffer.Start('%');
    EXPECT_TRUE(buffer.HasPercent());
    buffer.Add('%');
    buffer.RemoveFirstPercent();
    EXPECT_TRUE(buffer.HasPercent());
    buffer.RemoveFirstPercent();
    EXPECT_FALSE(buffer.HasPercent());
    buffer.SetText("M30%");
    EXPECT_TRUE(buffer.HasPercent());
    buffer.Clear();
    EXPECT_FALSE(buffer.HasPercent());
}

// A "%" inside a comment is text; only one outside "( )" ends a tape, and only
// that one is removed from a line.
TEST(ReceiveTextTest, PercentInsideCommentsIsText) {
    struct Case {
        const char* received;
        bool endPercent;
        const char* withoutFirst; // after RemoveFirstPercent
    };
    const Case cases[] = {
        {"G1(FEED 50%)", false, "G1(FEED 50%)"},
        {"G1(50%", false, "G1(50%"}, // a comment the line never closes
        {"G1(A)%", true, "G1(A) "},
        {"%(50%)", true, "(50%)"},
        {"N1(50%)X1%Y%", true, "N1(50%) X1 Y%"},
    };
    for (const Case& c : cases) {
        ReceiveLineBuffer buffer(false);
        buffer.Start(static_cast<unsigned char>(c.received[0]));
        for (char ch : std::string_view(c.received).substr(1))
            buffer.Add(static_cast<unsigned char>(ch));
        EXPECT_EQ(buffer.HasPercent(), c.endPercent) << c.received;
        const std::string text = buffer.Text();
        buffer.RemoveFirstPercent();
        EXPECT_EQ(buffer.Text(), c.withoutFirst) << c.received;
        // The same text set at once (a trimmed or joined line) reads the same way.
        buffer.SetText(text);
        EXPECT_EQ(buffer.HasPercent(), c.endPercent) << c.received;
        EXPECT_EQ(FindEndPercent(text) != std::string::npos, c.endPercent) << c.received;
    }
}

TEST(ReceiveTextTest, LinesAndProgramLines) {
    EXPECT_EQ(TrimLine(" \t\x01O1 (A) \r"), "O1 (A)");
    EXPECT_EQ(TrimLine("  "), "");
    for (const char* line : {"O1", ":1", "L10"})
        EXPECT_TRUE(IsProgramLine(line)) << line;
    for (const char* line : {"", "G1", "N1O1", "%"})
        EXPECT_FALSE(IsProgramLine(line)) << line;

    std::string line = "O0001(A)";
    RewriteProgramLine(line, true);
    EXPECT_EQ(line, ":0001(A)");
    RewriteProgramLine(line, false);
    EXPECT_EQ(line, "O0001(A)");
    line = "L10";
    RewriteProgramLine(line, true);
    EXPECT_EQ(line, "L10");

    EXPECT_TRUE(IsDroppedLine("N1O&FW"));
    EXPECT_TRUE(IsDroppedLine(":&FW"));
    EXPECT_TRUE(IsDroppedLine("X&HE:1"));
    EXPECT_FALSE(IsDroppedLine("O&F W"));
    EXPECT_TRUE(IsLoneProgramLetter("O"));
    EXPECT_TRUE(IsLoneProgramLetter(":"));
    EXPECT_FALSE(IsLoneProgramLetter("L"));
    EXPECT_TRUE(IsReceiveStartChar('\n'));
    EXPECT_TRUE(IsReceiveStartChar('$'));
    EXPECT_FALSE(IsReceiveStartChar('X'));
}

TEST(ReceiveNamingTest, ProgramFileNames) {
    EXPECT_EQ(ProgramNameOf(":1234(ABC)"), "O1234");
    EXPECT_EQ(ProgramNameOf("O0001"), "O0001");
    EXPECT_EQ(ProgramNameOf("L10 X5.(P)"), "L10 X5.");
    EXPECT_EQ(ProgramFileName("O1234", 1, true, ".NC"), "O1234_001.NC");
    EXPECT_EQ(ProgramFileName("O1234", 1, false, ".NC"), "O1234.NC");
    EXPECT_EQ(ProgramFileName("O1", 1000, true, ".NC"), "O1_1000.NC");
    EXPECT_EQ(ProgramFileName("O1", 1, false, ""), "O1");
    EXPECT_EQ(NumberedVariant("O1.NC", 2), "O1_2.NC");
    EXPECT_EQ(NumberedVariant("O1", 3), "O1_3");
    EXPECT_TRUE(ExtensionNamesNoFile(".*"));
    EXPECT_TRUE(ExtensionNamesNoFile(".N?"));
    EXPECT_FALSE(ExtensionNamesNoFile(".NC"));

    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    EXPECT_EQ(UnnamedFileName(std::mktime(&t), ".NC"), "NONAME_20261208_090507.NC");
}

// A program name from a received line never leaves its folder and stays usable on FAT.
TEST(ReceiveNamingTest, NamesFromDataAreMadeSafe) {
    struct Case {
        std::string name;
        std::string safe;
    };
    const Case cases[] = {
        {"O../../ETC/X", "O.._.._ETC_X"},
        {"O1:2*3?4\"5<6>7|8\\9", "O1_2_3_4_5_6_7_8_9"},
        {std::string("O1\0\x02", 4), "O1__"},
        {".", "_"},
        {"..", "__"},
        {"", "_"},
        {"L10 X5.", "L10 X5_"},
        {"O1 ", "O1_"},
        {"LPT1", "LPT1_"},
        {"con.NC", "con_.NC"},
        {"COM10", "COM10"},
        {"O1234", "O1234"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeFileName(c.name), c.safe) << c.name;

    std::string longName(1 << 20, 'X');
    EXPECT_EQ(SafeFileName(longName).size(), kSafeNameMaxBytes);
    // A cut never splits a character: UTF-8 (3 bytes each) or Shift-JIS (2 bytes each).
    std::string utf8;
    for (int i = 0; i < 100; ++i)
        utf8 += "あ";
    EXPECT_EQ(SafeFileName("O" + utf8).size(), 199u);
    std::string sjis = "O";
    for (int i = 0; i < 150; ++i)
        sjis += "\x82\xA0";
    EXPECT_EQ(SafeFileName(sjis).size(), 199u);
}

} // namespace
