#include "transfer/SendOptions.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

// Tape feeds belong to a puncher only; the NC starts the send only with Signal1
// and no puncher, so a puncher with Signal1 still waits for the operator.
TEST(SendOptions, StartAndFeedFollowTheDevice) {
    struct Case {
        const char* puncher;
        const char* signal1;
        const char* feed;
        const char* feed1;
        bool ncStarts;
        double feedMm;
        double feedBetweenMm;
    } cases[] = {
        {"N", "Y", "30", "10", true, 0, 0},
        {"N", "N", "30", "10", false, 0, 0},
        {"Y", "Y", "30", "10", false, 30, 10},
        {"Y", "N", "x", "2.5", false, 0, 2.5}, // a feed that is no number is none
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.puncher) + c.signal1 + c.feed);
        TSettings settings;
        settings.Puncher = c.puncher;
        settings.Signal1 = c.signal1;
        settings.Feed = c.feed;
        settings.Feed1 = c.feed1;
        const SendOptions options = SendOptionsFor(settings);
        EXPECT_EQ(options.ncStarts, c.ncStarts);
        EXPECT_EQ(options.puncher, std::string(c.puncher) == "Y");
        EXPECT_DOUBLE_EQ(options.feedMm, c.feedMm);
        EXPECT_DOUBLE_EQ(options.feedBetweenMm, c.feedBetweenMm);
    }
}

TEST(SendOptions, TextsAndCodeAreTheSettingsOwn) {
    TSettings settings;
    settings.Code = "Y";
    settings.Speed1 = "4800,8,N,2";
    settings.op2 = "Y";
    settings.InvTime = 7;
    settings.Send_Before = 2;
    settings.SendMsg1 = "(X)";
    const SendOptions options = SendOptionsFor(settings);
    EXPECT_EQ(options.sendCode, SendCode::Eia);
    EXPECT_TRUE(options.ncMayRefuse);
    EXPECT_EQ(options.characterDelayMs, 7);
    EXPECT_EQ(options.sendBefore, 2);
    EXPECT_EQ(options.lineRules.sendMsg, "(X)");
    EXPECT_EQ(options.startCharacters, StartCharacters(settings));
    EXPECT_EQ(options.endCharacters, EndCharacters(settings));
}

} // namespace
