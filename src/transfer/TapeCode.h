// Paper-tape codes: ISO (7 bits, even parity in bit 7) and EIA RS-244 (odd
// parity in channel 5, end of block in channel 8). Text characters become line
// bytes on sending and line bytes become text characters on receiving.
// Pure functions over bytes; no state beyond the ReceiveCode the caller holds.
#pragma once

#include <optional>
#include <string_view>

struct TSettings;

// What the receiving side takes the far end's bytes to be.
struct ReceiveCode {
    bool isoCode = false;
    bool eiaCode = false;

    bool Known() const { return isoCode || eiaCode; }
    bool operator==(const ReceiveCode&) const = default;
};

inline constexpr ReceiveCode kUndecidedCode{false, false};
inline constexpr ReceiveCode kIsoCode{true, false};
inline constexpr ReceiveCode kEiaCode{false, true};
inline constexpr ReceiveCode kAsciiCode{true, true};

// How characters are converted on sending; fixed for the whole of one transfer.
enum class SendCode {
    Unchanged, // 7 data bits (the driver adds the parity) or the port-switch selection
    Iso,       // bit 7 set where needed for even parity
    Eia,       // through the EIA table
};

// The data-bit field of a speed string: the character after its first ",",
// or 0 when there is none.
char DataBitsField(std::string_view speed);

// Conversion chosen by Speed1's data bits and Code; the port-switch selection
// always goes out unchanged.
SendCode SendCodeFor(const TSettings& settings, bool selectionSending = false);

// The receive state a send starts with, so that DC1/DC3 from the controller
// are read in the code the program is sent in.
ReceiveCode ReceiveCodeFor(SendCode code);

// The receive state chosen by R_Code: 0 automatic, 1 ISO, 2 EIA, 3 ASCII
// (other values count as automatic).
ReceiveCode ReceiveCodeForSetting(int rCode);

// Number of one bits of v below 128; 7 for every v of 128 or more.
int ParityCount(int v);

// The byte to write for ch, or nothing when ch has no code (EIA only).
std::optional<unsigned char> EncodeByte(unsigned char ch, SendCode code);

// The text character for a received byte under code; 0 means no character.
unsigned char DecodeByte(unsigned char b, ReceiveCode code);

// Decides ISO or EIA from one received byte: an odd hole count is EIA.
void DetectCode(unsigned char b, ReceiveCode& code);

// Feed characters for a tape length in millimetres: ten per inch, whole part.
int FeedLength(double mm);
