#include "platform/Rfc2217.h"
#include "platform/NetworkTarget.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace telnet;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

TEST(NetworkTarget, TextsOfSectionPorts) {
    struct Case {
        const char* text;
        std::optional<NetworkTarget> target;
    };
    const Case cases[] = {
        {"rfc2217://10.0.0.21:4001", NetworkTarget{NetworkKind::Rfc2217, "10.0.0.21", 4001}},
        {"tcp://serial-box.shop:2001", NetworkTarget{NetworkKind::RawTcp, "serial-box.shop", 2001}},
        {"RFC2217://Box:1/", NetworkTarget{NetworkKind::Rfc2217, "Box", 1}},
        {"tcp://[::1]:65535", NetworkTarget{NetworkKind::RawTcp, "::1", 65535}},
        {"rfc2217://[fe80::1:2]:4001", NetworkTarget{NetworkKind::Rfc2217, "fe80::1:2", 4001}},
        {"tcp://::1:4001", std::nullopt},   // an IPv6 address needs its brackets
        {"tcp://host", std::nullopt},       // no port
        {"tcp://host:0", std::nullopt},     // no such port
        {"tcp://host:65536", std::nullopt}, // no such port
        {"tcp://host:40x", std::nullopt},   // not a number
        {"tcp://:4001", std::nullopt},      // no host
        {"rfc2217://a b:1", std::nullopt},  // a blank is no host character
        {"tcp://[::1]4001", std::nullopt},  // the colon after the bracket
        {"/dev/ttyUSB0", std::nullopt},     // a device
        {"telnet://host:23", std::nullopt}, // another scheme
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNetworkTarget(c.text), c.target) << c.text;
        bool scheme = std::string_view(c.text).starts_with("tcp") ||
                      std::string_view(c.text).starts_with("rfc") ||
                      std::string_view(c.text).starts_with("RFC");
        EXPECT_EQ(IsNetworkTarget(c.text), scheme) << c.text;
        if (c.target) {
            EXPECT_EQ(ParseNetworkTarget(NetworkTargetText(*c.target)), c.target) << c.text;
        }
    }
}

TEST(Telnet, EscapeDoublesEveryIacAndNothingElse) {
    struct Case {
        std::string data;
        std::string escaped;
    };
    const Case cases[] = {
        {"", ""},
        {"G1X1.", "G1X1."},
        {Bytes({0xFF}), Bytes({0xFF, 0xFF})},
        {Bytes({0x00, 0xFF, 0xFF, 0xFE}), Bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE})},
        {Bytes({0xFA, 0xF0, 0x0D, 0x00}), Bytes({0xFA, 0xF0, 0x0D, 0x00})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Escape(c.data), c.escaped);
}

// Every byte value of a tape passes the escape and the decoder unchanged, also
// when the stream is cut between an IAC and its double.
TEST(Telnet, EveryByteValueSurvivesAnyCut) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += Bytes({0xFF, 0xFF, 0x11, 0xFF, 0x13});
    const std::string wire = Escape(all);
    for (size_t cut = 0; cut <= wire.size(); ++cut) {
        Decoder decoder;
        std::string data;
        std::vector<Event> events;
        decoder.Feed(std::string_view(wire).substr(0, cut), data, events);
        decoder.Feed(std::string_view(wire).substr(cut), data, events);
        ASSERT_EQ(data, all) << "cut at " << cut;
        EXPECT_TRUE(events.empty());
    }
}

TEST(Telnet, DecoderSplitsDataFromCommands) {
    struct Case {
        const char* what;
        std::string wire;
        std::string data;
        std::vector<Event> events;
    };
    const Case cases[] = {
        {"negotiation between data",
         Bytes({'A', 0xFF, 0xFD, 44, 'B'}),
         "AB",
         {{Event::Kind::Negotiation, kDo, 44, 0, "", 1}}},
        {"modem state notice",
         Bytes({0xFF, 0xFA, 44, 107, 0x30, 0xFF, 0xF0, 'x'}),
         "x",
         {{Event::Kind::ComPort, 0, 44, 107, Bytes({0x30}), 0}}},
        {"baud rate answer with an escaped 0xFF",
         Bytes({0xFF, 0xFA, 44, 101, 0, 0, 0xFF, 0xFF, 0xFF, 0xF0}),
         "",
         {{Event::Kind::ComPort, 0, 44, 101, Bytes({0, 0, 0xFF}), 0}}},
        {"another option's subnegotiation is dropped",
         Bytes({0xFF, 0xFA, 24, 1, 0xFF, 0xF0, 'z'}),
         "z",
         {}},
        {"NOP and GA carry nothing", Bytes({'a', 0xFF, 0xF1, 'b', 0xFF, 0xF9, 'c'}), "abc", {}},
        {"refusal of the option",
         Bytes({0xFF, 0xFE, 44}),
         "",
         {{Event::Kind::Negotiation, kDont, 44, 0, "", 0}}},
    };
    for (const Case& c : cases) {
        Decoder decoder;
        std::string data;
        std::vector<Event> events;
        decoder.Feed(c.wire, data, events);
        EXPECT_EQ(data, c.data) << c.what;
        EXPECT_EQ(events, c.events) << c.what;
    }
}

// The line parameters the jobs set, as the server is asked for them.
TEST(ComPortOption, SettingsOfEachLineMode) {
    auto dcb = [](int baud, int bits, Parity parity, StopBits stop, bool outX, bool inX, bool cts) {
        Dcb d;
        d.BaudRate = baud;
        d.ByteSize = bits;
        d.parity = parity;
        d.stopBits = stop;
        d.fOutX = outX;
        d.fInX = inX;
        d.fOutxCtsFlow = cts;
        return d;
    };
    struct Case {
        const char* what;
        Dcb dcb;
        std::vector<ComPortSetting> settings;
    };
    const Case cases[] = {
        {"mode 1 or 3, the program's own handshake",
         dcb(19200, 8, Parity::None, StopBits::One, false, false, false),
         {{1, Bytes({0, 0, 0x4B, 0})}, {2, "\x08"}, {3, "\x01"}, {4, "\x01"}, {5, "\x01"}}},
        {"mode 2, the driver's XON/XOFF both ways",
         dcb(4800, 7, Parity::Even, StopBits::Two, true, true, false),
         {{1, Bytes({0, 0, 0x12, 0xC0})}, {2, "\x07"}, {3, "\x03"}, {4, "\x02"}, {5, "\x02"}}},
        {"mode 4, the reader held by its XOFF only",
         dcb(2400, 7, Parity::Odd, StopBits::OneAndHalf, false, true, false),
         {{1, Bytes({0, 0, 0x09, 0x60})},
          {2, "\x07"},
          {3, "\x02"},
          {4, "\x03"},
          {5, "\x01"},
          {5, "\x0F"}}},
        {"CTS flow kept from the port",
         dcb(14400, 8, Parity::None, StopBits::One, false, false, true),
         {{1, Bytes({0, 0, 0x38, 0x40})}, {2, "\x08"}, {3, "\x01"}, {4, "\x01"}, {5, "\x03"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComPortSettingsFor(c.dcb), c.settings) << c.what;
}

TEST(ComPortOption, AnswersConfirmTheirSettings) {
    struct Case {
        const char* what;
        ComPortSetting asked;
        Event answer;
        bool confirms;
    };
    auto answer = [](unsigned char command, std::string value) {
        return Event{Event::Kind::ComPort, 0, kComPort, command, std::move(value), 0};
    };
    const std::string baud = Bytes({0, 0, 0x4B, 0});
    const Case cases[] = {
        {"the rate as asked", {1, baud}, answer(101, baud), true},
        {"another rate", {1, baud}, answer(101, Bytes({0, 0, 0x25, 0x80})), false},
        {"the answer to another command", {1, baud}, answer(102, baud), false},
        {"a client's number, not the server's", {2, "\x07"}, answer(2, "\x07"), false},
        {"XON/XOFF refused", {5, "\x02"}, answer(105, "\x01"), false},
        {"inbound XON/XOFF answered with the server's state",
         {5, "\x0F"},
         answer(105, "\x10"),
         true},
        {"a negotiation is no answer",
         {2, "\x08"},
         Event{Event::Kind::Negotiation, kWill, 102, 0, "", 0},
         false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnswerConfirms(c.asked, c.answer), c.confirms) << c.what;
}

TEST(ComPortOption, CommandFramingEscapesItsValue) {
    EXPECT_EQ(ComPortCommand(kSetBaudRate, Bytes({0, 0, 0x25, 0x80})),
              Bytes({0xFF, 0xFA, 44, 1, 0, 0, 0x25, 0x80, 0xFF, 0xF0}));
    EXPECT_EQ(ComPortCommand(kSetModemStateMask, Bytes({0xFF})),
              Bytes({0xFF, 0xFA, 44, 11, 0xFF, 0xFF, 0xFF, 0xF0}));
    Dcb held;
    held.fDtrControl = LineControl::Enable;
    held.fRtsControl = LineControl::Enable;
    EXPECT_EQ(LineControlSettingsFor(held),
              (std::vector<ComPortSetting>{{5, "\x08"}, {5, "\x0B"}}));
    EXPECT_TRUE(LineControlSettingsFor(Dcb{}).empty());
}

// What the client answers to each negotiation of the server, in order: agreed
// options are not answered again, so the two ends never loop.
TEST(Negotiator, AnswersTheServersNegotiation) {
    struct Step {
        unsigned char verb;
        unsigned char option;
        std::string answer;
        Negotiator::ComPortState state;
    };
    using S = Negotiator::ComPortState;
    const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
        {"a server that takes the option",
         {{kWill, kSuppressGoAhead, "", S::Unknown},
          {kDo, kSuppressGoAhead, "", S::Unknown},
          {kWill, kEcho, Bytes({0xFF, kDont, kEcho}), S::Unknown},
          {kDo, kBinary, "", S::Unknown},
          {kDo, kComPort, "", S::Accepted},
          {kDo, kComPort, "", S::Accepted}}},
        {"a server that refuses it",
         {{kDont, kComPort, Bytes({0xFF, kWont, kComPort}), S::Refused},
          {kDont, kComPort, "", S::Refused}}},
        {"unknown options are refused, a withdrawn binary is let go",
         {{kDo, 24, Bytes({0xFF, kWont, 24}), S::Unknown},
          {kWill, 31, Bytes({0xFF, kDont, 31}), S::Unknown},
          {kWont, kBinary, Bytes({0xFF, kDont, kBinary}), S::Unknown},
          {kWont, kBinary, "", S::Unknown},
          {kWill, kBinary, Bytes({0xFF, kDo, kBinary}), S::Unknown}}},
    };
    for (const auto& [what, steps] : cases) {
        Negotiator negotiator;
        const std::string start = negotiator.Start(true);
        EXPECT_NE(start.find(Bytes({0xFF, kWill, kComPort})), std::string::npos) << what;
        EXPECT_NE(start.find(Bytes({0xFF, kDo, kBinary})), std::string::npos) << what;
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(negotiator.Answer(steps[i].verb, steps[i].option), steps[i].answer)
                << what << ", step " << i;
            EXPECT_EQ(negotiator.ComPort(), steps[i].state) << what << ", step " << i;
        }
    }
}

} // namespace
