#include "transfer/ReceiveOptions.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

// Every R_Code that names no code (hand-edited INI files hold any number) is read
// as automatic detection, as the receive code itself treats it.
TEST(ReceiveOptions, CodeAndEndingsFollowTheSettings) {
    struct Case {
        int rCode;
        const char* reader;
        const char* op5;
        const char* op6;
        const char* powerOff;
        ReceiveCode code;
    } cases[] = {
        {0, "N", "N", "N", "N", kUndecidedCode},  {1, "Y", "Y", "N", "N", kIsoCode},
        {2, "N", "N", "Y", "Y", kEiaCode},        {3, "Y", "Y", "Y", "Y", kAsciiCode},
        {7, "N", "x", "y", "", kUndecidedCode}, // only "Y" switches a rule on
        {-1, "N", "N", "N", "N", kUndecidedCode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rCode);
        TSettings settings;
        settings.R_Code = c.rCode;
        settings.Reader = c.reader;
        settings.op5 = c.op5;
        settings.op6 = c.op6;
        settings.Power_Off = c.powerOff;
        const ReceiveOptions options = ReceiveOptionsFor(settings);
        EXPECT_EQ(options.code, c.code);
        EXPECT_EQ(options.reader, std::string(c.reader) == "Y");
        EXPECT_EQ(options.saveOnStop, std::string(c.op5) == "Y");
        EXPECT_EQ(options.dsrEnds, std::string(c.op6) == "Y");
        EXPECT_EQ(options.powerOff, std::string(c.powerOff) == "Y");
    }
}

} // namespace
