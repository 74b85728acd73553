// A property of a fuzz target: when it fails, the target says which and aborts,
// so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

[[noreturn]] inline void FuzzPropertyFailed(const char* property, int line) {
    std::fprintf(stderr, "property failed at line %d: %s\n", line, property);
    std::abort();
}

// Every character of part stands in whole, in the same order (no byte invented).
inline bool IsSubsequence(std::string_view part, std::string_view whole) {
    size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string_view::npos)
            return false;
        ++at;
    }
    return true;
}

#define FUZZ_REQUIRE(...)                                                                          \
    ((__VA_ARGS__) ? static_cast<void>(0) : FuzzPropertyFailed(#__VA_ARGS__, __LINE__))

// A file name that stays in its folder and is usable everywhere: no separator,
// wildcard or control character, not "." or "..", no trailing dot or blank, no
// device name before the first dot (CON, PRN, AUX, NUL, COM1-9, LPT1-9), at most
// 255 bytes.
inline bool IsSafeName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 255)
        return false;
    for (unsigned char c : name)
        if (c < ' ' || c == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    if (name.back() == '.' || name.back() == ' ')
        return false;
    std::string_view base = name.substr(0, name.find('.'));
    base = base.substr(0, base.find_last_not_of(' ') + 1);
    auto is = [&](std::string_view device, bool numbered) {
        if (base.size() != device.size() + (numbered ? 1 : 0))
            return false;
        for (size_t i = 0; i < device.size(); ++i) {
            const char c = base[i] >= 'a' && base[i] <= 'z' ? char(base[i] - 32) : base[i];
            if (c != device[i])
                return false;
        }
        return !numbered || (base.back() >= '1' && base.back() <= '9');
    };
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
        if (is(device, false))
            return false;
    for (std::string_view device : {"COM", "LPT"})
        if (is(device, true))
            return false;
    return true;
}
