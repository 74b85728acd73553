#include "platform/PathText.h"

#include "platform/TextCodec.h"

#include <vector>

namespace {

std::vector<std::string_view> SplitAtSlash(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find('/', start);
        parts.push_back(text.substr(start, slash - start));
        if (slash == std::string_view::npos)
            return parts;
        start = slash + 1;
    }
}

// A new name in CP932 when the path already holds CP932 names and the name has a
// CP932 form; else UTF-8, which loses no character.
std::string EncodeNewName(std::string_view utf8, bool cp932) {
    if (!cp932)
        return std::string(utf8);
    std::string bytes = Utf8ToCp932(utf8);
    return Cp932ToUtf8(bytes) == utf8 ? bytes : std::string(utf8);
}

// Each "/"-separated name of path through convert, the separators kept.
template <typename Convert>
std::string MapNames(std::string_view path, Convert convert) {
    std::string out;
    bool first = true;
    for (std::string_view name : SplitAtSlash(path)) {
        if (!first)
            out += '/';
        first = false;
        out += convert(name);
    }
    return out;
}

} // namespace

std::string PathToText(std::string_view path) {
    return MapNames(path, [](std::string_view name) { return DecodeToUtf8(name); });
}

std::string PathFromText(std::string_view utf8Text, std::string_view original) {
    if (utf8Text == PathToText(original))
        return std::string(original);
    const std::vector<std::string_view> names = SplitAtSlash(original);
    bool cp932 = false;
    for (std::string_view name : names)
        cp932 = cp932 || !IsValidUtf8(name);
    return MapNames(utf8Text, [&](std::string_view typed) {
        for (std::string_view name : names) {
            if (DecodeToUtf8(name) == typed)
                return std::string(name);
        }
        return EncodeNewName(typed, cp932);
    });
}
