#include "transfer/SpeedString.h"

#include <charconv>
#include <optional>

namespace {

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200};

// A decimal integer with optional sign; blanks around it are allowed, so that
// the offered "19200,7,O,2 " reads like the others.
std::optional<long> ReadDecimal(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

SpeedParse ParseSpeedString(std::string_view speed) {
    SpeedParse result;
    size_t comma = speed.find(',');
    std::optional<long> baud = ReadDecimal(speed.substr(0, comma));
    if (!baud) {
        result.error = SpeedError::NotNumber;
        return result;
    }
    bool offered = false;
    for (int rate : kBaudRates) {
        offered = offered || *baud == rate;
    }
    if (!offered) {
        result.error = SpeedError::Baud;
        return result;
    }
    result.format.baud = static_cast<int>(*baud);

    std::string_view bitsText =
        comma == std::string_view::npos ? std::string_view() : speed.substr(comma + 1, 1);
    std::optional<long> bits = ReadDecimal(bitsText);
    if (!bits) {
        result.error = SpeedError::NotNumber;
        return result;
    }
    if (*bits < 5 || *bits > 8) {
        result.error = SpeedError::DataBits;
        return result;
    }
    result.format.dataBits = static_cast<int>(*bits);

    size_t n = speed.find('N');
    size_t e = speed.find('E');
    size_t o = speed.find('O');
    size_t parityAt = n != std::string_view::npos ? n : e != std::string_view::npos ? e : o;
    if (result.format.dataBits != 8) {
        result.format.parity = n != std::string_view::npos   ? Parity::None
                               : e != std::string_view::npos ? Parity::Even
                                                             : Parity::Odd;
    }
    // Stop bits stand two places after the parity letter; without a letter the
    // old rule reads from the second character, which is never a number.
    size_t stopAt = parityAt == std::string_view::npos ? 1 : parityAt + 2;
    std::optional<long> stop =
        ReadDecimal(stopAt < speed.size() ? speed.substr(stopAt) : std::string_view());
    if (!stop) {
        result.error = SpeedError::NotNumber;
        return result;
    }
    result.format.stopBits = *stop == 1   ? StopBits::One
                             : *stop == 2 ? StopBits::Two
                                          : StopBits::OneAndHalf;
    return result;
}

std::vector<std::string> OfferedSpeedStrings() {
    static const char* const formats[] = {"8,N,1", "8,N,2", "7,N,1", "7,N,2",
                                          "7,E,1", "7,E,2", "7,O,1", "7,O,2"};
    std::vector<std::string> speeds;
    for (int rate : kBaudRates) {
        for (const char* format : formats) {
            speeds.push_back(std::to_string(rate) + "," + format);
        }
    }
    speeds.back() += ' ';
    return speeds;
}
