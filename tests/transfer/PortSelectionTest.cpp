#include "transfer/PortSelection.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PortSelection, DigitsAreSentAndMinusPauses) {
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

TEST(PortSelection, StopLeavesTheRestOut) {
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
