#include "platform/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace {

// skipped, when given, collects the bytes that could not be converted, in order.
std::string Convert(const char* to, const char* from, std::string_view in, const char* bad,
                    std::string* skipped = nullptr) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 4);
    char buffer[4096];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An undecodable byte: show a replacement and go on with the next one.
            out += bad;
            if (skipped)
                *skipped += *src;
            ++src;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t before = i;
        if (NextCodePoint(s, i) == 0xFFFD && i - before == 1)
            return false;
    }
    return true;
}

char32_t NextCodePoint(std::string_view s, size_t& pos) {
    unsigned char c = static_cast<unsigned char>(s[pos]);
    if (c < 0x80) {
        ++pos;
        return c;
    }
    int n = (c >= 0xC2 && c <= 0xDF)   ? 1
            : (c >= 0xE0 && c <= 0xEF) ? 2
            : (c >= 0xF0 && c <= 0xF4) ? 3
                                       : -1;
    if (n < 0 || pos + static_cast<size_t>(n) >= s.size()) {
        ++pos; // an invalid byte advances by one, so callers can tell it from U+FFFD itself
        return 0xFFFD;
    }
    char32_t cp = c & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
        unsigned char d = static_cast<unsigned char>(s[pos + k]);
        if ((d & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    bool overlong = (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += static_cast<size_t>(n) + 1;
    return cp;
}

std::string Cp932ToUtf8(std::string_view bytes) {
    return Convert("UTF-8", "CP932", bytes, "\xEF\xBF\xBD");
}

std::string Utf8ToCp932(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8, "?");
}

std::string DecodeToUtf8(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
}

std::string NameFromText(std::string_view utf8Text, std::string_view original) {
    if (IsValidUtf8(original))
        return std::string(utf8Text);
    std::string undecodable;
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    if (Convert("UTF-8", "CP932", original, kReplacement.data(), &undecodable) == utf8Text)
        return std::string(original);
    std::string bytes;
    size_t next = 0;
    size_t from = 0;
    for (size_t at; (at = utf8Text.find(kReplacement, from)) != std::string_view::npos;) {
        bytes += Utf8ToCp932(utf8Text.substr(from, at - from));
        bytes += next < undecodable.size() ? undecodable[next++] : '?';
        from = at + kReplacement.size();
    }
    return bytes + Utf8ToCp932(utf8Text.substr(from));
}

int CodePointColumns(char32_t cp) {
    if (cp < 0x80)
        return 1;
    if (cp >= 0xFF61 && cp <= 0xFF9F) // half-width katakana
        return 1;
    if (cp >= 0xFFE8 && cp <= 0xFFEE)
        return 1;
    if (cp < 0x370) {
        // Latin-1 signs that Shift-JIS holds as double-byte characters.
        switch (cp) {
        case 0xA7:
        case 0xA8:
        case 0xB0:
        case 0xB1:
        case 0xB4:
        case 0xB6:
        case 0xD7:
        case 0xF7:
            return 2;
        default:
            return 1;
        }
    }
    return 2;
}

int DisplayColumns(std::string_view utf8) {
    int columns = 0;
    size_t pos = 0;
    while (pos < utf8.size())
        columns += CodePointColumns(NextCodePoint(utf8, pos));
    return columns;
}

std::string TakeColumns(std::string_view utf8, int columns) {
    int used = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t start = pos;
        int w = CodePointColumns(NextCodePoint(utf8, pos));
        if (used + w > columns)
            return std::string(utf8.substr(0, start));
        used += w;
    }
    return std::string(utf8);
}

std::string PadColumns(std::string_view utf8, int columns) {
    std::string out(utf8);
    int w = DisplayColumns(utf8);
    if (w < columns)
        out.append(static_cast<size_t>(columns - w), ' ');
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

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
