#include "files/CommandLine.h"

#include "platform/Paths.h"

namespace {

struct ModeFilter {
    std::u32string_view refused;
    const char* text;
};

std::optional<ModeFilter> FilterOf(Edit1Mode mode, bool allFiles) {
    if (mode == Edit1Mode::NamedReceive || mode == Edit1Mode::CopyAs) {
        if (allFiles)
            return ModeFilter{U"/:,;*?<>|", "この文字はファイル名に使えません。\n/:,;*?<>|"};
        return ModeFilter{U"/:,;*?<>|.", "この文字はファイル名に使えません。\n/:,;*?<>|."};
    }
    if (mode == Edit1Mode::Directory)
        return ModeFilter{U"\\,;*?<>|", "この文字はディレクトリ名に使えません。\n\\,;*?<>|"};
    if (mode == Edit1Mode::Mask)
        return ModeFilter{U"/:,;?<>|", "この文字は拡張子に使えません。\n/:,;?<>|"};
    return std::nullopt;
}

} // namespace

std::optional<std::string> RefusedCharacterText(Edit1Mode mode, bool allFiles, char32_t c) {
    std::optional<ModeFilter> filter = FilterOf(mode, allFiles);
    if (!filter || c == U'\b' || filter->refused.find(c) == std::u32string_view::npos)
        return std::nullopt;
    return std::string(filter->text);
}

std::string CopyTargetPath(std::string_view dirPath, std::string_view typed, bool allFiles,
                           std::string_view mask) {
    std::string name(typed);
    if (!allFiles)
        name += MaskExtension(mask);
    return JoinPath(dirPath, name);
}

std::optional<std::string> MaskFromTyped(std::string_view typed) {
    if (typed == "*.*" || typed == ".*" || typed == "*." || typed == "*")
        return std::nullopt;
    if (typed.find("*.") != std::string_view::npos)
        return std::string(typed);
    if (typed.find('.') != std::string_view::npos)
        return "*" + std::string(typed);
    return "*." + std::string(typed);
}

std::string RefusedMaskText(std::string_view typed) {
    return std::string(typed) + "の拡張子設定は出来ません!!";
}
