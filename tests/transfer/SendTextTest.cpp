#include "transfer/SendText.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

TEST(SendText, StartAndEndCharactersByType) {
    TSettings s;
    s.StartChar = "N";
    EXPECT_EQ(StartCharacters(s), "\n");
    s.StartChar = "Y";
    const char* starts[] = {"", "%\n", "%%\n", "% *\n", "%", "%%", ""};
    for (int type = 0; type <= 6; ++type) {
        s.StartChar_Type = type;
        EXPECT_EQ(StartCharacters(s), starts[type]) << type;
    }
    s.EndChar = "Y";
    const char* ends[] = {"", "\n%", "\n%%", "\n%\n", "\n%%\n", ""};
    for (int type = 0; type <= 5; ++type) {
        s.EndChar_Type = type;
        EXPECT_EQ(EndCharacters(s), ends[type]) << type;
    }
    s.EndChar = "N";
    s.Puncher = "N";
    EXPECT_EQ(EndCharacters(s), "\x14");
    s.Puncher = "Y";
    EXPECT_EQ(EndCharacters(s), "\n%");
}

TEST(SendText, LineRules) {
    struct Case {
        const char* line;
        const char* sendMsg;
        bool msgOp;
        const char* chars; // nullptr: the line is skipped
        int counted;
        bool programEnd;
    } cases[] = {
        {"%", "", false, nullptr, 3, false},
        {"G01 X10. ;COMMENT", "", false, "G01 X10. ", 19, false},
        {"G01 X10. ;COMMENT", "", true, "G01 X10. ;COMMENT", 19, false},
        {"(A;B)", "", false, "(A;B)", 7, false},
        {"G1X1'NOTE", "", false, "G1X1", 11, false},
        {"(50%) %X", "", false, "(50%) X", 10, false},
        {"G0\tX1.", "", false, "G0X1.", 8, false},
        {"(TAB\tIN)", "", false, "(TABIN)", 10, false},
        {"M01 X M01", "M01", false, "    X    ", 11, false},
        {"N1M30", "", false, "N1M30", 7, true},
        {"M99", "", false, "M99", 5, true},
        {"M20", "", false, "M20", 5, true}, // "M2" as written
        {"G0 (A) ;B (C;D)", "", false, "G0 (A) ", 17, false},
        {"", "", false, "", 2, false},
        {"%%", "", false, "", 4, false},
    };
    for (const auto& c : cases) {
        LinePlan plan = PlanLine(c.line, {c.sendMsg, c.msgOp});
        SCOPED_TRACE(c.line);
        EXPECT_EQ(plan.skip, c.chars == nullptr);
        if (c.chars) {
            EXPECT_EQ(plan.chars, c.chars);
        }
        EXPECT_EQ(plan.counted, c.counted);
        EXPECT_EQ(plan.programEnd, c.programEnd);
    }
    // A message longer than 29 characters leaves 29 blanks: the line gets shorter.
    std::string message(31, 'Q');
    LinePlan plan = PlanLine("A" + message + "B", {message, false});
    EXPECT_EQ(plan.chars, "A" + std::string(29, ' ') + "B");
    EXPECT_EQ(plan.counted, 33);
}

TEST(SendText, RemainingTextInItsThreeForms) {
    EXPECT_EQ(GroupThousands(0), "0");
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(GroupThousands(1000), "1,000");
    EXPECT_EQ(GroupThousands(150000000), "150,000,000");
    EXPECT_EQ(RemainingBytesText(12345), "残り 12,345ﾊﾞｲﾄ");
    EXPECT_EQ(RemainingText(1, 0), "残り 1ﾊﾞｲﾄ(約 0秒)");
    EXPECT_EQ(RemainingText(10000, 59), "残り 10,000ﾊﾞｲﾄ(約 59秒)");
    EXPECT_EQ(RemainingText(10000, 65), "残り 10,000ﾊﾞｲﾄ(約 1分05秒)");
    EXPECT_EQ(RemainingText(10000, 3599), "残り 10,000ﾊﾞｲﾄ(約 59分59秒)");
    EXPECT_EQ(RemainingText(10000, 3600 * 2 + 60 * 7 + 5), "残り 10,000ﾊﾞｲﾄ(約 2時07分)");
}

} // namespace
