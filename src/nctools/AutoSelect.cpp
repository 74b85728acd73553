#include "nctools/AutoSelect.h"

bool SelectionKeyAccepted(char32_t c) {
    return c == U'\b' ||
           (c < 0x80 && kSelectionCharacters.find(static_cast<char>(c)) != std::string_view::npos);
}

std::string FilterSelectionText(std::string_view text) {
    std::string filtered;
    for (char c : text) {
        if (filtered.size() < kSelectionMaxLength &&
            kSelectionCharacters.find(c) != std::string_view::npos) {
            filtered.push_back(c);
        }
    }
    return filtered;
}

bool SendSelection(std::string_view text, const std::function<bool(unsigned char)>& send,
                   const std::function<void(int ms)>& pause) {
    for (char c : text) {
        if (c == '-') {
            pause(kSelectionPauseMs);
        } else if (!send(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    pause(kSelectionPauseMs);
    return true;
}
