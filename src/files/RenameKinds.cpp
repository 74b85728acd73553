#include "files/RenameKinds.h"

#include "platform/TextCodec.h"

namespace {

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Calls map on every byte that stands for a character of its own, the first one
// with first set. UTF-8 multi-byte characters never hold ASCII bytes; a Shift-JIS
// trail byte may look like a letter ("ａ" is 82 81, "Ａ" is 82 60) and is skipped.
template <typename Map>
std::string MapSingleBytes(std::string_view name, Map map) {
    std::string result(name);
    const bool cp932 = !IsValidUtf8(name);
    for (size_t i = 0; i < result.size(); ++i) {
        auto c = static_cast<unsigned char>(result[i]);
        if (cp932 && IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        result[i] = map(result[i], i == 0);
    }
    return result;
}

} // namespace

std::string ConvertName(RenameKind kind, std::string_view name) {
    switch (kind) {
    case RenameKind::Upper:
        return MapSingleBytes(name, [](char c, bool) { return AsciiUpper(c); });
    case RenameKind::Lower:
        return MapSingleBytes(name, [](char c, bool) { return AsciiLower(c); });
    case RenameKind::Capitalised:
        return MapSingleBytes(
            name, [](char c, bool first) { return first ? AsciiUpper(c) : AsciiLower(c); });
    default:
        return std::string(name);
    }
}

bool IsUsableName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}
