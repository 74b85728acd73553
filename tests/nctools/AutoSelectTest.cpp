#include "nctools/AutoSelect.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AutoSelect, FieldTakesDigitsZeroToFiveAndMinus) {
    for (char32_t c : std::u32string(U"012345-\b")) {
        EXPECT_TRUE(SelectionKeyAccepted(c)) << int(c);
    }
    for (char32_t c : std::u32string(U"6789+ aA\r\t０－")) {
        EXPECT_FALSE(SelectionKeyAccepted(c)) << int(c);
    }
    EXPECT_EQ(FilterSelectionText("1-3"), "1-3");
    EXPECT_EQ(FilterSelectionText("12-3"), "12-");
    EXPECT_EQ(FilterSelectionText("a9 5"), "5");
    EXPECT_EQ(FilterSelectionText("\xEF\xBC\x91"
                                  "2"),
              "2"); // a full-width 1 is not a digit here
}

} // namespace
