#include "nctools/AutoSelect.h"

bool SelectionKeyAccepted(char32_t c) {
    return c == U'\b' ||
           (c < 0x80 && kSelectionCharacters.find(static_cast<char>(c)) != std::string_view::npos);
}
