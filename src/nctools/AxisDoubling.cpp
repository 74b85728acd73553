#include "nctools/AxisDoubling.h"

#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kBlockBytes = 4u << 20;
constexpr size_t kProgressLines = 4096;

bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// digits (a decimal integer, most significant first) times two, in place.
void DoubleDigits(std::string& digits) {
    int carry = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        int d = (digits[i] - '0') * 2 + carry;
        digits[i] = static_cast<char>('0' + d % 10);
        carry = d / 10;
    }
    if (carry)
        digits.insert(digits.begin(), '1');
}

// digits plus one in the last place, in place.
void IncrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

char AxisFromField(std::string_view text) {
    if (text.size() != 1 || kAxisLetters.find(text[0]) == std::string_view::npos)
        return 0;
    return AsciiUpper(text[0]);
}

std::string DoubledFileName(std::string_view sourceName, std::string_view mask) {
    const size_t dot = sourceName.rfind('.');
    std::string name(sourceName.substr(0, dot));
    return name + "_2" + MaskExtension(mask);
}

std::string DoubleDecimalText(std::string_view value, size_t decimals) {
    const bool negative = !value.empty() && value.front() == '-';
    if (negative)
        value.remove_prefix(1);
    const size_t point = value.find('.');
    const std::string_view whole = value.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : value.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return {}; // "", "-", "." and "-."
    if (!std::all_of(whole.begin(), whole.end(), IsDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), IsDigit))
        return {}; // a second "." or "-", or a blank inside
    std::string digits;
    digits.reserve(whole.size() + std::max(fraction.size(), decimals) + 2);
    digits.append(whole).append(fraction);
    DoubleDigits(digits);
    if (decimals >= fraction.size()) {
        digits.append(decimals - fraction.size(), '0');
    } else {
        const char firstDropped = digits[digits.size() - (fraction.size() - decimals)];
        digits.resize(digits.size() - (fraction.size() - decimals));
        if (firstDropped >= '5')
            IncrementDigits(digits); // half away from zero: the sign comes after
    }
    // At least one digit before the point, and no leading zeros beyond it.
    if (digits.size() < decimals + 1)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    const size_t wholeDigits = digits.size() - decimals;
    const size_t zeros = std::min(digits.find_first_not_of('0'), wholeDigits - 1);
    std::string out;
    out.reserve(digits.size() + 2);
    if (negative && digits.find_first_not_of('0') != std::string::npos)
        out.push_back('-');
    out.append(digits, zeros, wholeDigits - zeros);
    if (decimals > 0)
        out.append(1, '.').append(digits, wholeDigits, decimals);
    return out;
}

LineDoubling DoubleAxisInLine(std::string_view line, char axis, std::string& out) {
    const void* hit = std::memchr(line.data(), axis, line.size());
    if (!hit) {
        out.append(line);
        return LineDoubling::Unchanged;
    }
    const size_t runBegin = static_cast<size_t>(static_cast<const char*>(hit) - line.data()) + 1;
    size_t runEnd = runBegin;
    while (runEnd < line.size() && IsNumberChar(line[runEnd]))
        ++runEnd;
    std::string_view run = line.substr(runBegin, runEnd - runBegin);
    const size_t last = run.find_last_not_of(' ');
    const size_t first = run.find_first_not_of(' ');
    // An empty run and a lone "-" have no value. Blanks around them are not part of
    // a number either, so "X )" in a comment or "X- " leave the line alone too
    // instead of stopping the whole conversion.
    if (last == std::string_view::npos || run.substr(first, last + 1 - first) == "-") {
        out.append(line);
        return LineDoubling::Unchanged;
    }
    const std::string_view value = run.substr(first, last + 1 - first);
    const size_t point = value.find('.');
    size_t decimals = 0;
    if (point != std::string_view::npos)
        decimals = std::max<size_t>(1, value.size() - point - 1);
    const std::string doubled = DoubleDecimalText(value, decimals);
    if (doubled.empty())
        return LineDoubling::NotANumber;
    out.append(line.substr(0, runBegin));
    out.append(doubled);
    out.append(line.substr(runBegin + last + 1));
    return LineDoubling::Doubled;
}

DoublingOutcome DoubleAxisToFile(const TextDocument& document, const DoublingOptions& options,
                                 const DoublingProgress& progress) {
    using Status = DoublingOutcome::Status;
    const std::string path = JoinPath(options.dirPath, options.outputName);
    // A mask such as "*.*" or one holding "/" names no file beside the source.
    if (options.outputName.empty() || options.outputName.find_first_of("/*?") != std::string::npos)
        return {Status::WriteFailed, 0, path + ": " + std::strerror(EINVAL)};
    WholeFileWriter writer;
    if (!writer.Open(path))
        return {Status::WriteFailed, 0, writer.Error()};
    std::string block;
    block.reserve(kBlockBytes + (1u << 16));
    const size_t count = document.LineCount();
    for (size_t i = 0; i < count; ++i) {
        if (DoubleAxisInLine(document.Line(i), options.axis, block) == LineDoubling::NotANumber)
            return {Status::NotANumber, i, {}};
        block.append("\r\n");
        // Progress after every block too, so that a file of long lines shows it.
        bool report = (i + 1) % kProgressLines == 0;
        if (block.size() >= kBlockBytes) {
            if (!writer.Append(block))
                return {Status::WriteFailed, 0, writer.Error()};
            block.clear();
            report = true;
        }
        if (report && progress && !progress(i + 1))
            return {Status::Cancelled, i + 1, {}};
    }
    if (!writer.Append(block) || !writer.Commit(true))
        return {Status::WriteFailed, 0, writer.Error()};
    if (progress)
        progress(count);
    return {};
}
