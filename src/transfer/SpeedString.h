// Speed strings: the line parameters as text, baud,data bits,parity,stop bits
// ("4800,8,N,2"). Parsing follows the rules the settings have always been read
// by: parity letters are looked for anywhere in the text, 8 data bits never
// carry parity, and a stop-bit number other than 1 or 2 means one and a half.
// Data bits are one digit; a serial line has 5 to 8 of them, so any other digit
// (a hand-edited file) is refused here rather than at the port.
#pragma once

#include "platform/SerialPort.h"

#include <string>
#include <string_view>
#include <vector>

struct LineFormat {
    int baud = 0;
    int dataBits = 0;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool operator==(const LineFormat&) const = default;
};

enum class SpeedError {
    None,
    Baud,      // a number, but not one of the offered rates
    NotNumber, // some part cannot be read as a number
    DataBits,  // a digit, but no size a serial line has (5 to 8)
};

struct SpeedParse {
    SpeedError error = SpeedError::None;
    LineFormat format;
};

SpeedParse ParseSpeedString(std::string_view speed);

// The fixed parameters of a tape puncher or reader.
inline constexpr std::string_view kTapeDeviceSpeed = "4800,8,N,2";

// The 48 speed strings the settings panel offers, in its order (the last one
// carries the trailing blank it has always had).
std::vector<std::string> OfferedSpeedStrings();
