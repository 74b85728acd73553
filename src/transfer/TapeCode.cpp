#include "transfer/TapeCode.h"

#include "settings/Settings.h"

#include <array>
#include <bit>
#include <climits>
#include <cmath>

namespace {

constexpr int OddParityBit(int code) {
    return std::popcount(static_cast<unsigned>(code)) % 2 == 0 ? 0x10 : 0;
}

// EIA codes indexed by text character; -1 where a character has none.
constexpr std::array<short, 256> MakeEiaTable() {
    std::array<short, 256> table{};
    table.fill(-1);
    table['0'] = 0x20;
    for (int d = 1; d <= 9; ++d) {
        table['0' + d] = static_cast<short>(d + OddParityBit(d));
    }
    // The three zone rows of the punch code: A-I, J-R, S-Z.
    for (int i = 0; i < 9; ++i) {
        int a = 0x60 + 1 + i;
        int j = 0x40 + 1 + i;
        table['A' + i] = static_cast<short>(a + OddParityBit(a));
        table['J' + i] = static_cast<short>(j + OddParityBit(j));
    }
    for (int i = 0; i < 8; ++i) {
        int s = 0x20 + 2 + i;
        table['S' + i] = static_cast<short>(s + OddParityBit(s));
    }
    table['%'] = 0x0B;
    table['('] = 0x1A;
    table[')'] = 0x4A;
    table['+'] = 0x70;
    table['-'] = 0x40;
    table['/'] = 0x31;
    table['.'] = 0x6B;
    table['&'] = 0x0E;
    table[','] = 0x3B;
    table[' '] = 0x10;
    table['\n'] = 0x80;
    return table;
}

constexpr std::array<short, 256> kEiaReceive = MakeEiaTable();

// Sending adds what only goes one way: ":" as "O" and DC1 to DC4 as they are.
constexpr std::array<short, 256> MakeEiaSendTable() {
    std::array<short, 256> table = MakeEiaTable();
    table[':'] = table['O'];
    for (int dc = 0x11; dc <= 0x14; ++dc) {
        table[dc] = static_cast<short>(dc);
    }
    return table;
}

constexpr std::array<short, 256> kEiaSend = MakeEiaSendTable();

constexpr std::array<unsigned char, 256> MakeEiaDecodeTable() {
    std::array<unsigned char, 256> table{};
    for (int ch = 0; ch < 256; ++ch) {
        if (kEiaReceive[ch] >= 0) {
            table[kEiaReceive[ch]] = static_cast<unsigned char>(ch);
        }
    }
    table[0x12] = 0x12;
    table[0x14] = 0x14;
    return table;
}

constexpr std::array<unsigned char, 256> kEiaDecode = MakeEiaDecodeTable();

} // namespace

char DataBitsField(std::string_view speed) {
    size_t comma = speed.find(',');
    if (comma == std::string_view::npos || comma + 1 >= speed.size()) {
        return 0;
    }
    return speed[comma + 1];
}

SendCode SendCodeFor(const TSettings& settings, bool selectionSending) {
    if (selectionSending || DataBitsField(settings.Speed1) != '8') {
        return SendCode::Unchanged;
    }
    return settings.Code == "Y" ? SendCode::Eia : SendCode::Iso;
}

ReceiveCode ReceiveCodeFor(SendCode code) {
    switch (code) {
    case SendCode::Iso:
        return kIsoCode;
    case SendCode::Eia:
        return kEiaCode;
    case SendCode::Unchanged:
        break;
    }
    return kAsciiCode;
}

ReceiveCode ReceiveCodeForSetting(int rCode) {
    switch (rCode) {
    case 1:
        return kIsoCode;
    case 2:
        return kEiaCode;
    case 3:
        return kAsciiCode;
    default:
        return kUndecidedCode;
    }
}

int ParityCount(int v) {
    if (v >= 128) {
        return 7;
    }
    return v < 0 ? 0 : std::popcount(static_cast<unsigned>(v));
}

std::optional<unsigned char> EncodeByte(unsigned char ch, SendCode code) {
    switch (code) {
    case SendCode::Unchanged:
        return ch;
    case SendCode::Iso:
        // A code of 128 or more counts as even and goes out as it is.
        if (ch < 128 && ParityCount(ch) % 2 == 1) {
            return static_cast<unsigned char>(ch + 128);
        }
        return ch;
    case SendCode::Eia:
        if (kEiaSend[ch] < 0) {
            return std::nullopt;
        }
        return static_cast<unsigned char>(kEiaSend[ch]);
    }
    return std::nullopt;
}

unsigned char DecodeByte(unsigned char b, ReceiveCode code) {
    if (code.isoCode && code.eiaCode) {
        return b;
    }
    if (code.isoCode) {
        return static_cast<unsigned char>(b & 0x7F);
    }
    if (code.eiaCode) {
        return kEiaDecode[b];
    }
    return 0;
}

void DetectCode(unsigned char b, ReceiveCode& code) {
    code = ParityCount(b) % 2 == 1 ? kEiaCode : kIsoCode;
}

int FeedLength(double mm) {
    if (!(mm > 0)) {
        return 0;
    }
    // mm * 2 / 5 rather than mm * 0.4: 0.4 has no exact binary form.
    double count = std::floor(mm * 2 / 5);
    return count >= INT_MAX ? INT_MAX : static_cast<int>(count);
}
