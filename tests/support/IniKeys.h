// The keys of an INI text (CR LF lines), in file order, to check what was written.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> IniKeys(const std::string& text) {
    std::vector<std::string> keys;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end - pos);
        if (size_t eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
        pos = end == std::string::npos ? text.size() : end + 2;
    }
    return keys;
}
