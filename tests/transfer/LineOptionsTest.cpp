#include "transfer/LineOptions.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

// Each line mode takes its own pair's port and speed; a tape device on the pair
// replaces the speed string by its fixed one; the carrier rule is the sender's only.
TEST(LineOptions, EachModeTakesItsPair) {
    struct Case {
        int mode;
        const char* puncher;
        const char* reader;
        const char* port;
        const char* speed;
        bool carrierEnds;
    } cases[] = {
        {1, "N", "N", "COM1", "9600,7,E,2", true},  {2, "N", "Y", "COM1", "9600,7,E,2", false},
        {1, "Y", "N", "COM1", "4800,8,N,2", true},  {3, "N", "N", "COM2", "2400,8,N,1", false},
        {4, "N", "N", "COM2", "2400,8,N,1", false}, {4, "Y", "Y", "COM2", "4800,8,N,2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + c.puncher + c.reader);
        TSettings settings;
        settings.Port1 = "COM1";
        settings.Port2 = "COM2";
        settings.Speed1 = "9600,7,E,2";
        settings.Speed2 = "2400,8,N,1";
        settings.Puncher = c.puncher;
        settings.Reader = c.reader;
        settings.Signal1 = "Y";
        const LineOptions options = LineOptionsFor(settings, c.mode);
        EXPECT_EQ(options.portText, c.port);
        EXPECT_EQ(options.speedText, c.speed);
        EXPECT_EQ(options.speed.format.baud, ParseSpeedString(c.speed).format.baud);
        EXPECT_EQ(options.carrierEnds, c.carrierEnds);
    }
}

// The code of what is written follows the send line's data bits, whatever the
// mode: a 7-bit first line sends characters unchanged also on the receive line.
TEST(LineOptions, SendCodeAndSwitches) {
    struct Case {
        const char* speed1;
        const char* code;
        const char* op1;
        const char* autoSelect;
        SendCode sendCode;
        bool raiseDtrRts;
    } cases[] = {
        {"4800,8,N,2", "N", "N", "N", SendCode::Iso, false},
        {"4800,8,N,2", "Y", "Y", "N", SendCode::Eia, true},
        {"4800,7,E,2", "Y", "N", "Y", SendCode::Unchanged, true},
    };
    for (const auto& c : cases) {
        TSettings settings;
        settings.Speed1 = c.speed1;
        settings.Code = c.code;
        settings.op1 = c.op1;
        settings.AutoSelect = c.autoSelect;
        for (int mode : {1, 4}) {
            SCOPED_TRACE(std::string(c.speed1) + c.code + std::to_string(mode));
            const LineOptions options = LineOptionsFor(settings, mode);
            EXPECT_EQ(options.sendCode, c.sendCode);
            EXPECT_EQ(options.raiseDtrRts, c.raiseDtrRts);
            EXPECT_EQ(options.autoSelect, std::string(c.autoSelect) == "Y");
        }
    }
}

} // namespace
