#include "nctools/AutoSelect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(AutoSelect, FieldTakesDigitsZeroToFiveAndMinus) {
    for (char32_t c : std::u32string(U"012345-\b")) {
        EXPECT_TRUE(SelectionKeyAccepted(c)) << int(c);
    }
    for (char32_t c : std::u32string(U"6789+ aA\r\t０－")) {
        EXPECT_FALSE(SelectionKeyAccepted(c)) << int(c);
    }
    EXPECT_EQ(FilterSelectionText("1-3"), "1-3");
    EXPECT_EQ(FilterSelectionText("12-3"), "12-");
    EXPECT_EQ(FilterSelectionText("a9 5"), "5");
    EXPECT_EQ(FilterSelectionText("\xEF\xBC\x91"
                                  "2"),
              "2"); // a full-width 1 is not a digit here
}

TEST(AutoSelect, DigitsAreSentAndMinusPauses) {
    struct Case {
        const char* text;
        std::string events; // characters sent, "P" for each pause
    } cases[] = {
        {"2", "2P"}, {"1-3", "1P3P"}, {"-", "PP"}, {"1--", "1PPP"}, {"555", "555P"}, {"-5", "P5P"},
    };
    for (const auto& c : cases) {
        std::string events;
        bool sent = SendSelection(
            c.text,
            [&](unsigned char ch) {
                events.push_back(static_cast<char>(ch));
                return true;
            },
            [&](int ms) {
                EXPECT_EQ(ms, 3000);
                events.push_back('P');
            });
        EXPECT_TRUE(sent);
        EXPECT_EQ(events, c.events) << c.text;
    }
}

TEST(AutoSelect, StopLeavesTheRestOut) {
    std::string events;
    bool sent = SendSelection(
        "1-3",
        [&](unsigned char ch) {
            events.push_back(static_cast<char>(ch));
            return false;
        },
        [&](int) { events.push_back('P'); });
    EXPECT_FALSE(sent);
    EXPECT_EQ(events, "1");
}

} // namespace
