// Test helpers for byte streams: ISO tape code on an 8-bit line written out
// independently of the tape-code module, and counting occurrences in a text.
#pragma once

#include <bit>
#include <string>
#include <string_view>

// Bit 7 set where the character has an odd number of one bits.
inline std::string Iso(std::string_view text) {
    std::string out;
    for (unsigned char c : text)
        out.push_back(char(std::popcount(unsigned(c)) % 2 ? c | 0x80 : c));
    return out;
}

inline size_t Count(const std::string& text, std::string_view what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}
