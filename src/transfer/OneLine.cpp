#include "transfer/OneLine.h"

std::string OneLine(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '!'))
        line.pop_back();
    return line;
}
