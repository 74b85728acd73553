// The speed string comes from Dravik.INI files of old installations and from
// the command-line tool's --speed: any bytes. A parse either fails or gives a
// format the serial port can be set to; an offered string always parses.
#include "transfer/SpeedString.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SpeedParse parse = ParseSpeedString(text);
    if (parse.error != SpeedError::None)
        return 0;
    const LineFormat& f = parse.format;
    const bool knownBaud = f.baud == 1200 || f.baud == 2400 || f.baud == 4800 || f.baud == 9600 ||
                           f.baud == 14400 || f.baud == 19200;
    if (!knownBaud || f.dataBits < 5 || f.dataBits > 8 ||
        (f.dataBits == 8 && f.parity != Parity::None))
        std::abort();
    return 0;
}
