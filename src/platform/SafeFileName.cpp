#include "platform/SafeFileName.h"

#include "platform/TextCodec.h"

#include <array>

namespace {

bool Forbidden(unsigned char c) {
    if (c < 0x20 || c == 0x7F)
        return true;
    constexpr std::string_view kForbidden = "/\\:*?\"<>|";
    return kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

// Where to cut bytes at limit without splitting a character: UTF-8 when the
// name is valid UTF-8, else Shift-JIS lead and trail bytes.
size_t CutPosition(std::string_view name, size_t limit) {
    if (name.size() <= limit)
        return name.size();
    if (IsValidUtf8(name)) {
        size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        return cut;
    }
    size_t pos = 0;
    while (pos < limit) {
        unsigned char c = static_cast<unsigned char>(name[pos]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        size_t width = lead ? 2 : 1;
        if (pos + width > limit)
            break;
        pos += width;
    }
    return pos;
}

bool IsDeviceName(std::string_view name) {
    std::string base = AsciiUpper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kPlain) {
        if (base == device)
            return true;
    }
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

} // namespace

std::string SafeFileName(std::string_view name) {
    std::string safe(name.substr(0, CutPosition(name, kSafeNameMaxBytes)));
    for (char& c : safe) {
        if (Forbidden(static_cast<unsigned char>(c)))
            c = '_';
    }
    for (size_t i = safe.size(); i > 0 && (safe[i - 1] == '.' || safe[i - 1] == ' '); --i)
        safe[i - 1] = '_';
    if (safe.empty())
        return "_";
    if (IsDeviceName(safe)) {
        size_t dot = safe.find('.');
        safe.insert(dot == std::string::npos ? safe.size() : dot, "_");
    }
    return safe;
}
