// The speed string comes from Dravik.INI files of old installations and from
// the command-line tool's --speed: any bytes. Checked for every input:
// - a parse either fails or gives a format the serial port can be set to (an
//   offered rate, 5 to 8 data bits, no parity with 8 data bits);
// - a parsed format written back as "baud,bits,P,stop" parses to the same format;
// - an offered string always parses.
#include "transfer/SpeedString.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string Written(const LineFormat& f) {
    const char parity = f.parity == Parity::None ? 'N' : f.parity == Parity::Even ? 'E' : 'O';
    const char* stop = f.stopBits == StopBits::One ? "1" : f.stopBits == StopBits::Two ? "2" : "3";
    return std::to_string(f.baud) + "," + std::to_string(f.dataBits) + "," + parity + "," + stop;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> offered = OfferedSpeedStrings();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SpeedParse parse = ParseSpeedString(text);
    if (parse.error != SpeedError::None) {
        if (std::find(offered.begin(), offered.end(), text) != offered.end())
            std::abort();
        return 0;
    }
    const LineFormat& f = parse.format;
    const bool knownBaud = f.baud == 1200 || f.baud == 2400 || f.baud == 4800 || f.baud == 9600 ||
                           f.baud == 14400 || f.baud == 19200;
    if (!knownBaud || f.dataBits < 5 || f.dataBits > 8 ||
        (f.dataBits == 8 && f.parity != Parity::None))
        std::abort();
    const SpeedParse again = ParseSpeedString(Written(f));
    if (again.error != SpeedError::None || !(again.format == f))
        std::abort();
    return 0;
}
