// The data view's line rule written the plain way, one byte at a time, for the
// document's tests and its fuzz target to hold the fast split against: a line
// end is a run of CRs with at most one LF in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline std::vector<std::string> PlainLines(std::string_view text) {
    std::vector<std::string> out;
    std::string current;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            current += c;
            ++i;
            continue;
        }
        bool sawLf = false;
        while (i < text.size() && (text[i] == '\r' || (text[i] == '\n' && !sawLf))) {
            sawLf = sawLf || text[i] == '\n';
            ++i;
        }
        out.push_back(current);
        current.clear();
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}
