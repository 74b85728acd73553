// The rename kinds change half-width letters only: full-width letters, kana and the
// trail bytes of Shift-JIS characters stay as they are.
#include "files/RenameKinds.h"

#include <gtest/gtest.h>

namespace {

struct KindCase {
    std::string name;
    std::string upper, lower, capitalised;
};

TEST(RenameKinds, HalfWidthLettersOnly) {
    const KindCase cases[] = {
        {"o1234.nc", "O1234.NC", "o1234.nc", "O1234.nc"},
        {"O1234.NC", "O1234.NC", "o1234.nc", "O1234.nc"},
        // Full-width "ａＢ" and kana "ｶﾀ" (UTF-8) are left alone.
        {"ａＢprog_ｶﾀ.Nc", "ａＢPROG_ｶﾀ.NC", "ａＢprog_ｶﾀ.nc", "ａＢprog_ｶﾀ.nc"},
        {"x", "X", "x", "X"},
        {"", "", "", ""},
        // Shift-JIS "ａ" is 82 81, "Ａ" 82 60 and "ソ" 83 5C: the trail bytes look like
        // "`" and "\" and letters in other characters; they never change.
        {"\x82\x81\x82\x60"
         "ab",
         "\x82\x81\x82\x60"
         "AB",
         "\x82\x81\x82\x60"
         "ab",
         "\x82\x81\x82\x60"
         "ab"},
        {"\x83\x5Cq.NC", "\x83\x5CQ.NC", "\x83\x5Cq.nc", "\x83\x5Cq.nc"},
        // 8A 61 ("噂" family): a trail byte in the range of "a".
        {"\x8A\x61"
         "A",
         "\x8A\x61"
         "A",
         "\x8A\x61"
         "a",
         "\x8A\x61"
         "a"},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(ConvertName(RenameKind::Upper, c.name), c.upper) << c.name;
        EXPECT_EQ(ConvertName(RenameKind::Lower, c.name), c.lower) << c.name;
        EXPECT_EQ(ConvertName(RenameKind::Capitalised, c.name), c.capitalised) << c.name;
        EXPECT_EQ(ConvertName(RenameKind::AsTyped, c.name), c.name);
        EXPECT_EQ(ConvertName(RenameKind::OneByOne, c.name), c.name);
    }
}

TEST(RenameKinds, UsableNames) {
    const std::pair<std::string, bool> cases[] = {
        {"O1.NC", true},      {"a:b*?.nc", true}, {"ａ", true},
        {"", false},          {".", false},       {"..", false},
        {"sub/O1.NC", false}, {"/", false},       {std::string("a\0b", 3), false},
    };
    for (const auto& [name, usable] : cases)
        EXPECT_EQ(IsUsableName(name), usable) << name;
}

} // namespace
