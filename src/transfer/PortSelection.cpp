#include "transfer/PortSelection.h"

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
