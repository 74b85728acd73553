#include "files/CommandLine.h"

#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, CharacterFilters) {
    const std::string name = "この文字はファイル名に使えません。\n/:,;*?<>|";
    const std::string folder = "この文字はディレクトリ名に使えません。\n\\,;*?<>|";
    const std::string ext = "この文字は拡張子に使えません。\n/:,;?<>|";
    struct Case {
        Edit1Mode mode;
        bool allFiles;
        char32_t c;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {Edit1Mode::CopyAs, true, U'*', name},
        {Edit1Mode::CopyAs, true, U'.', std::nullopt},
        {Edit1Mode::CopyAs, false, U'.', name + "."},
        {Edit1Mode::NamedReceive, false, U'/', name + "."},
        {Edit1Mode::CopyAs, true, U'A', std::nullopt},
        {Edit1Mode::CopyAs, true, U'ｱ', std::nullopt},
        {Edit1Mode::CopyAs, true, U'\b', std::nullopt},
        {Edit1Mode::Directory, true, U'/', std::nullopt}, // the separator of a folder path
        {Edit1Mode::Directory, true, U':', std::nullopt},
        {Edit1Mode::Directory, true, U'\\', folder},
        {Edit1Mode::Directory, true, U'~', std::nullopt},
        {Edit1Mode::Directory, false, U'|', folder},
        {Edit1Mode::Mask, true, U'*', std::nullopt},
        {Edit1Mode::Mask, true, U':', ext},
        {Edit1Mode::Mask, true, U'.', std::nullopt},
        {Edit1Mode::None, true, U'*', std::nullopt},
        {Edit1Mode::None, true, U'?', std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RefusedCharacterText(c.mode, c.allFiles, c.c), c.text)
            << "mode " << static_cast<int>(c.mode) << " char " << static_cast<unsigned>(c.c);
}

TEST(CommandLine, CopyUnderANewName) {
    EXPECT_EQ(CopyTargetPath("/nc", "PRG2", false, "*.NC"), "/nc/PRG2.NC");
    EXPECT_EQ(CopyTargetPath("/nc", "PRG2.TXT", true, "*.NC"), "/nc/PRG2.TXT");
    EXPECT_EQ(CopyTargetPath("/", "PRG2", false, "*.nc"), "/PRG2.nc");
    EXPECT_EQ(MaskExtension("*.NC"), ".NC");
    EXPECT_EQ(MaskExtension(""), "");
}

TEST(CommandLine, MaskRule) {
    EXPECT_EQ(MaskFromTyped("nc"), "*.nc");
    EXPECT_EQ(MaskFromTyped("NC"), "*.NC");
    EXPECT_EQ(MaskFromTyped(".NC"), "*.NC");
    EXPECT_EQ(MaskFromTyped("*.NC"), "*.NC");
    EXPECT_EQ(MaskFromTyped("O*.NC"), "O*.NC");
    for (const char* none : {"*.*", ".*", "*.", "*"})
        EXPECT_EQ(MaskFromTyped(none), std::nullopt) << none;
    EXPECT_EQ(RefusedMaskText("*"), "*の拡張子設定は出来ません!!");
}

} // namespace
