#include "files/FindPattern.h"

#include "platform/Paths.h"

std::string FindSearchPattern(std::string_view dirPath, std::string_view text,
                              std::string_view mask) {
    if (text.ends_with('*'))
        text.remove_suffix(1);
    return JoinPath(dirPath, std::string(text) + std::string(mask));
}
