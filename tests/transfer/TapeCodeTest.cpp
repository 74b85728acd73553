#include "transfer/TapeCode.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace {

// The EIA RS-244 codes as printed on a tape-code chart, written out by hand.
const std::map<unsigned char, unsigned char> kEiaChart = {
    {'0', 0x20}, {'1', 0x01}, {'2', 0x02}, {'3', 0x13}, {'4', 0x04},  {'5', 0x15}, {'6', 0x16},
    {'7', 0x07}, {'8', 0x08}, {'9', 0x19}, {'A', 0x61}, {'B', 0x62},  {'C', 0x73}, {'D', 0x64},
    {'E', 0x75}, {'F', 0x76}, {'G', 0x67}, {'H', 0x68}, {'I', 0x79},  {'J', 0x51}, {'K', 0x52},
    {'L', 0x43}, {'M', 0x54}, {'N', 0x45}, {'O', 0x46}, {'P', 0x57},  {'Q', 0x58}, {'R', 0x49},
    {'S', 0x32}, {'T', 0x23}, {'U', 0x34}, {'V', 0x25}, {'W', 0x26},  {'X', 0x37}, {'Y', 0x38},
    {'Z', 0x29}, {'%', 0x0B}, {'(', 0x1A}, {')', 0x4A}, {'+', 0x70},  {'-', 0x40}, {'/', 0x31},
    {'.', 0x6B}, {'&', 0x0E}, {',', 0x3B}, {' ', 0x10}, {'\n', 0x80},
};

int OneBits(int v) {
    int n = 0;
    for (; v != 0; v >>= 1) {
        n += v & 1;
    }
    return n;
}

TEST(TapeCode, EiaChartHasOddHoleCounts) {
    // Guards the hand-written chart itself: every EIA code but end of block has odd parity.
    for (auto [ch, code] : kEiaChart) {
        if (ch != '\n') {
            EXPECT_EQ(OneBits(code) % 2, 1) << ch;
        }
    }
    EXPECT_EQ(kEiaChart.size(), 47u);
}

TEST(TapeCode, EiaSendsExactlyTheChartPlusColonAndDeviceControls) {
    for (int ch = 0; ch < 256; ++ch) {
        auto sent = EncodeByte(static_cast<unsigned char>(ch), SendCode::Eia);
        auto chart = kEiaChart.find(static_cast<unsigned char>(ch));
        if (chart != kEiaChart.end()) {
            ASSERT_TRUE(sent.has_value()) << ch;
            EXPECT_EQ(*sent, chart->second) << ch;
        } else if (ch == ':') {
            ASSERT_TRUE(sent.has_value());
            EXPECT_EQ(*sent, 0x46);
        } else if (ch >= 0x11 && ch <= 0x14) {
            ASSERT_TRUE(sent.has_value());
            EXPECT_EQ(*sent, ch);
        } else {
            EXPECT_FALSE(sent.has_value()) << "character " << ch << " has no EIA code";
        }
    }
}

TEST(TapeCode, EiaReceivesEveryByte) {
    std::map<unsigned char, unsigned char> expected;
    for (auto [ch, code] : kEiaChart) {
        expected[code] = ch;
    }
    expected[0x12] = 0x12;
    expected[0x14] = 0x14;
    for (int b = 0; b < 256; ++b) {
        auto it = expected.find(static_cast<unsigned char>(b));
        unsigned char want = it == expected.end() ? 0 : it->second;
        EXPECT_EQ(DecodeByte(static_cast<unsigned char>(b), kEiaCode), want) << b;
    }
    // 0x46 is always "O" (":" is a one-way mapping) and 0x13 is the digit 3.
    EXPECT_EQ(DecodeByte(0x46, kEiaCode), 'O');
    EXPECT_EQ(DecodeByte(0x13, kEiaCode), '3');
}

TEST(TapeCode, OtherReceiveStatesForEveryByte) {
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(DecodeByte(byte, kIsoCode), b % 128) << b;
        EXPECT_EQ(DecodeByte(byte, kAsciiCode), b) << b;
        EXPECT_EQ(DecodeByte(byte, kUndecidedCode), 0) << b;
    }
}

TEST(TapeCode, IsoAddsEvenParity) {
    struct Case {
        unsigned char ch, sent;
    } cases[] = {{'%', 0xA5},  {'G', 0x47},  {'\n', 0x0A}, {' ', 0xA0},  {0x14, 0x14},
                 {'N', 0x4E},  {'O', 0xCF},  {0x11, 0x11}, {0x13, 0x93}, {'\r', 0x8D},
                 {0x7F, 0xFF}, {0x80, 0x80}, {0xC1, 0xC1}, {0xFF, 0xFF}};
    for (auto c : cases) {
        EXPECT_EQ(EncodeByte(c.ch, SendCode::Iso), c.sent) << int(c.ch);
    }
    // Every byte below 128 goes out with an even number of one bits and decodes back.
    for (int ch = 0; ch < 128; ++ch) {
        unsigned char sent = *EncodeByte(static_cast<unsigned char>(ch), SendCode::Iso);
        EXPECT_EQ(OneBits(sent) % 2, 0) << ch;
        EXPECT_EQ(DecodeByte(sent, kIsoCode), ch);
    }
}

TEST(TapeCode, EiaProgramText) {
    auto encode = [](std::string_view text) {
        std::string out;
        for (char c : text) {
            if (auto b = EncodeByte(static_cast<unsigned char>(c), SendCode::Eia)) {
                out.push_back(static_cast<char>(*b));
            }
        }
        return out;
    };
    EXPECT_EQ(encode("O1234"), std::string("\x46\x01\x02\x13\x04"));
    EXPECT_EQ(encode(":1234"), encode("O1234"));
    EXPECT_EQ(encode("G01 x*#=;\tY\r\n"), std::string("\x67\x20\x01\x10\x38\x80", 6));
}

TEST(TapeCode, SendCodeFromSettings) {
    TSettings s;
    s.Speed1 = "4800,8,N,2";
    s.Code = "N";
    EXPECT_EQ(SendCodeFor(s), SendCode::Iso);
    s.Code = "Y";
    EXPECT_EQ(SendCodeFor(s), SendCode::Eia);
    EXPECT_EQ(SendCodeFor(s, true), SendCode::Unchanged);
    s.Code = "y"; // flags compare as text
    EXPECT_EQ(SendCodeFor(s), SendCode::Iso);
    s.Code = "Y";
    for (const char* speed : {"9600,7,E,2", "", "4800", "4800,", "48008N2"}) {
        s.Speed1 = speed;
        EXPECT_EQ(SendCodeFor(s), SendCode::Unchanged) << speed;
    }
    EXPECT_EQ(EncodeByte('a', SendCode::Unchanged), 'a');
    EXPECT_EQ(EncodeByte('O', SendCode::Unchanged), 'O');

    EXPECT_EQ(ReceiveCodeFor(SendCode::Iso), kIsoCode);
    EXPECT_EQ(ReceiveCodeFor(SendCode::Eia), kEiaCode);
    EXPECT_EQ(ReceiveCodeFor(SendCode::Unchanged), kAsciiCode);
    EXPECT_EQ(ReceiveCodeForSetting(0), kUndecidedCode);
    EXPECT_EQ(ReceiveCodeForSetting(1), kIsoCode);
    EXPECT_EQ(ReceiveCodeForSetting(2), kEiaCode);
    EXPECT_EQ(ReceiveCodeForSetting(3), kAsciiCode);
    EXPECT_EQ(ReceiveCodeForSetting(7), kUndecidedCode);
}

TEST(TapeCode, ParityCountAndDetection) {
    EXPECT_EQ(ParityCount(0), 0);
    EXPECT_EQ(ParityCount(0x7F), 7);
    EXPECT_EQ(ParityCount(0x55), 4);
    for (int v : {128, 0x80, 0xA5, 0xFF}) {
        EXPECT_EQ(ParityCount(v), 7) << v;
    }
    struct Case {
        unsigned char b;
        ReceiveCode decided;
    } cases[] = {{0x0A, kIsoCode}, {0x0B, kEiaCode}, {0xA5, kEiaCode},
                 {0x80, kEiaCode}, {0x25, kEiaCode}, {0x4F, kEiaCode}};
    for (auto c : cases) {
        ReceiveCode code = kAsciiCode;
        DetectCode(c.b, code);
        EXPECT_EQ(code, c.decided) << int(c.b);
    }
}

TEST(TapeCode, FeedLength) {
    struct Case {
        double mm;
        int feeds;
    } cases[] = {{50, 20}, {25, 10}, {1, 0},    {2.5, 1},
                 {0, 0},   {-10, 0}, {12.4, 4}, {1e300, INT_MAX}};
    for (auto c : cases) {
        EXPECT_EQ(FeedLength(c.mm), c.feeds) << c.mm;
    }
    for (int mm = 0; mm <= 1000; ++mm) {
        EXPECT_EQ(FeedLength(mm), mm * 2 / 5) << mm;
    }
}

} // namespace
