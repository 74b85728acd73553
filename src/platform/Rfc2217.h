// The Telnet framing of a serial line over TCP (RFC 854) with the COM port option
// (RFC 2217): the escape of 0xFF in the data, the option negotiation, and the
// line parameters of a Dcb as COM-PORT-OPTION commands. Bytes in, bytes and
// events out; the socket is NetworkPort's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Dcb;

namespace telnet {

inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kSe = 240;

inline constexpr unsigned char kBinary = 0;
inline constexpr unsigned char kEcho = 1;
inline constexpr unsigned char kSuppressGoAhead = 3;
inline constexpr unsigned char kComPort = 44;

// COM-PORT-OPTION commands from the client; the server answers each with the
// same number plus kServerOffset.
inline constexpr unsigned char kSetBaudRate = 1;
inline constexpr unsigned char kSetDataSize = 2;
inline constexpr unsigned char kSetParity = 3;
inline constexpr unsigned char kSetStopSize = 4;
inline constexpr unsigned char kSetControl = 5;
inline constexpr unsigned char kNotifyModemState = 7;
inline constexpr unsigned char kSetModemStateMask = 11;
inline constexpr unsigned char kPurgeData = 12;
inline constexpr unsigned char kServerOffset = 100;

// Values of SET-CONTROL and PURGE-DATA.
inline constexpr unsigned char kFlowNone = 1;
inline constexpr unsigned char kFlowXonXoff = 2;
inline constexpr unsigned char kFlowHardware = 3;
inline constexpr unsigned char kDtrOn = 8;
inline constexpr unsigned char kRtsOn = 11;
inline constexpr unsigned char kInboundFlowNone = 14;
inline constexpr unsigned char kInboundFlowXonXoff = 15;
inline constexpr unsigned char kPurgeBoth = 3;

// The modem state bits have the values of the Win32 modem status (CTS 0x10, DSR
// 0x20, carrier 0x80): the mask asks for those lines and their changes.
inline constexpr unsigned char kModemStateMask = 0xFF;

// data with every 0xFF doubled.
std::string Escape(std::string_view data);

// IAC verb option.
std::string Negotiation(unsigned char verb, unsigned char option);

// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
std::string ComPortCommand(unsigned char command, std::string_view value);

// One COM-PORT-OPTION setting the client sends and expects answered.
struct ComPortSetting {
    unsigned char command = 0;
    std::string value; // as sent (unescaped), big-endian for the baud rate
    bool operator==(const ComPortSetting&) const = default;
};

// The settings of a Dcb in the order they are sent: baud rate, data size,
// parity, stop size, outbound flow control and, when the driver sends XOFF on
// its own, the inbound one. Each is answered by the server.
std::vector<ComPortSetting> ComPortSettingsFor(const Dcb& dcb);

// DTR and RTS held on when the Dcb asks for it (not answered by every server).
std::vector<ComPortSetting> LineControlSettingsFor(const Dcb& dcb);

// What the far end sent besides data.
struct Event {
    enum class Kind { Negotiation, ComPort } kind = Kind::Negotiation;
    unsigned char verb = 0;    // kWill, kWont, kDo, kDont for a negotiation
    unsigned char option = 0;  // the option negotiated
    unsigned char command = 0; // the COM-PORT-OPTION command (server numbers)
    std::string value;         // its value, unescaped
    size_t at = 0;             // data bytes of the same Feed that came before it
    bool operator==(const Event&) const = default;
};

// Splits the received stream into data and events; a command cut between two
// reads is completed by the next one.
// True when answer is the server's confirmation of asked: the same command, and
// the same value except for the inbound flow setting, which servers answer with
// a state of their own (ser2net says 16 to 14 and 15 alike).
bool AnswerConfirms(const ComPortSetting& asked, const Event& answer);

class Decoder {
public:
    void Feed(std::string_view bytes, std::string& data, std::vector<Event>& events);

private:
    enum class State { Data, Iac, Verb, Sub, SubIac };
    State state_ = State::Data;
    unsigned char verb_ = 0;
    std::string sub_;
};

// The answers a client gives to the server's negotiation: it takes binary
// transmission and suppressed go-ahead both ways and the COM port option for
// itself, refuses echo and every other option. Each option is answered once
// per change, so two ends that agree never loop.
class Negotiator {
public:
    // The offers the client starts with.
    std::string Start(bool comPort);
    // The reply to one negotiation of the far end ("" when none is due).
    std::string Answer(unsigned char verb, unsigned char option);
    // The far end's word on the COM port option: unknown, accepted or refused.
    enum class ComPortState { Unknown, Accepted, Refused };
    ComPortState ComPort() const { return comPort_; }

private:
    bool weDo_[256] = {};   // options the far end performs for us (its WILL we accepted)
    bool weWill_[256] = {}; // options we perform (its DO we accepted)
    bool offeredComPort_ = false;
    ComPortState comPort_ = ComPortState::Unknown;
};

} // namespace telnet
