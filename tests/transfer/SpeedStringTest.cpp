#include "transfer/SpeedString.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* speed;
    SpeedError error;
    LineFormat format;
};

constexpr auto N = Parity::None;
constexpr auto E = Parity::Even;
constexpr auto O = Parity::Odd;
constexpr auto S1 = StopBits::One;
constexpr auto S2 = StopBits::Two;
constexpr auto S15 = StopBits::OneAndHalf;
constexpr auto ok = SpeedError::None;

const Case kCases[] = {
    {"4800,8,N,2", ok, {4800, 8, N, S2}},
    {"9600,8,E,1", ok, {9600, 8, N, S1}}, // 8 data bits never carry parity
    {"19200,8,O,2", ok, {19200, 8, N, S2}},
    {"4800,7,E,2", ok, {4800, 7, E, S2}},
    {"4800,7,O,1", ok, {4800, 7, O, S1}},
    {"2400,7,N,3", ok, {2400, 7, N, S15}},
    {"14400,7,N,1", ok, {14400, 7, N, S1}},
    {"1200,8,N,1", ok, {1200, 8, N, S1}},
    {"19200,7,O,2 ", ok, {19200, 7, O, S2}}, // the offered list's trailing blank
    {"600,8,N,2", SpeedError::Baud, {}},
    {"0,8,N,2", SpeedError::Baud, {}},
    {"115200,8,N,1", SpeedError::Baud, {}},
    {"", SpeedError::NotNumber, {}},
    {"fast", SpeedError::NotNumber, {}},
    {"9600", SpeedError::NotNumber, {}},
    {"9600,", SpeedError::NotNumber, {}},
    {"9600,x,N,1", SpeedError::NotNumber, {}},
    {"9600,8,N,", SpeedError::NotNumber, {}},
    {"9600,8,1", SpeedError::NotNumber, {}},
    {"9600,7,X,1", SpeedError::NotNumber, {}}, // no parity letter: no place for the stop bits
    {"9600,8,N,two", SpeedError::NotNumber, {}},
    // A data-bit digit no serial line has, as a hand-edited file may hold.
    {"9600,2,E,2", SpeedError::DataBits, {}},
    {"9600,0,N,1", SpeedError::DataBits, {}},
    {"9600,9,N,1", SpeedError::DataBits, {}},
    {"9600,5,N,1", ok, {9600, 5, N, S1}},
    {"9600,6,E,2", ok, {9600, 6, E, S2}},
    {"99999999999999999999999,8,N,2", SpeedError::NotNumber, {}},
};

TEST(SpeedString, TableOfCases) {
    for (const auto& c : kCases) {
        SpeedParse parsed = ParseSpeedString(c.speed);
        EXPECT_EQ(parsed.error, c.error) << c.speed;
        if (c.error == ok) {
            EXPECT_EQ(parsed.format, c.format) << c.speed;
        }
    }
}

TEST(SpeedString, EveryOfferedStringOpens) {
    std::vector<std::string> offered = OfferedSpeedStrings();
    ASSERT_EQ(offered.size(), 48u);
    EXPECT_EQ(offered.front(), "1200,8,N,1");
    EXPECT_EQ(offered[8], "2400,8,N,1");
    EXPECT_EQ(offered.back(), "19200,7,O,2 ");
    for (const auto& speed : offered) {
        EXPECT_EQ(ParseSpeedString(speed).error, SpeedError::None) << speed;
    }
    EXPECT_EQ(ParseSpeedString(kTapeDeviceSpeed).format, (LineFormat{4800, 8, N, S2}));
}

TEST(SpeedString, AnyTextIsSafe) {
    std::string text(300, 'N');
    EXPECT_EQ(ParseSpeedString(text).error, SpeedError::NotNumber);
    text = "4800,7," + std::string(300, 'E');
    EXPECT_EQ(ParseSpeedString(text).error, SpeedError::NotNumber);
    EXPECT_EQ(ParseSpeedString(std::string_view("4800\0,8,N,2", 11)).error, SpeedError::NotNumber);
}

} // namespace
