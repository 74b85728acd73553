// Row texts of the file list, as tables: the fixed columns per ListColumn, the 8.3
// names, the size column, the parent row, the path line and the detail sizes.
#include "files/RowFormat.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

std::string Blanks(int n) {
    return std::string(static_cast<size_t>(n), ' ');
}

std::string TrimRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

struct RowCase {
    int listColumn;
    bool allFiles;
    bool plain;
    const char* name;
    const char* size;
    const char* date;
    const char* visible; // the body without its trailing blanks
    int columns;         // the body's whole width: 36 + every inserted field
};

TEST(RowFormat, BodiesHaveFixedColumnsForEveryListColumn) {
    const char* date = "2024-05-06 07:08:10";
    const RowCase cases[] = {
        {1, true, false, "O1000.NC", "1234", date, "O1000   .NC      1234 24-05-06 07:08", 62},
        {2, true, false, "O1000.NC", "1234", date, "O1000   .NC      1234 24-05-06 07:08", 62},
        {3, true, false, "O1000.NC", "1234", date, "O1000   .NC      1234", 48},
        {4, true, false, "O1000.NC", "1234", date, "O1000   .NC", 44},
        {5, true, false, "O1000.NC", "1234", date, "O1000   .NC", 44},
        // Without ALL-Files the extension is not shown.
        {2, false, false, "O1000.NC", "1234", date, "O1000            1234 24-05-06 07:08", 59},
        {4, false, false, "O1000.NC", "1234", date, "O1000", 41},
        // Folders: "<DIR>" ends in column 21 like a size.
        {2, true, false, "NCDATA", "<DIR>", date, "NCDATA          <DIR> 24-05-06 07:08", 61},
        {4, true, false, "NCDATA", "", date, "NCDATA", 42},
        // Nine digits and more do not fit the size column.
        {3, true, false, "BIG.NC", "100000000", date, "BIG     .NC  ********", 50},
        {2, true, false, "BIG.NC", "12345678", date, "BIG     .NC  12345678 24-05-06 07:08", 64},
        // Long names take their 8.3 form; the extension shows four characters.
        {3, true, false, "PROGRAM_LONG.NC", "1", date, "PROGRA~1.NC         1", 48},
        {4, true, false, "A.NCDATA", "", date, "A       .NCD", 41},
        {4, true, false, "加工プログラム.NC", "", date, "加工プ~1.NC", 47},
        {4, true, false, "ｶｺｳﾌﾟﾛｸﾞﾗﾑ.NC", "", date, "ｶｺｳﾌﾟﾛ~1.NC", 47},
        {3, true, false, "MY PART.NC", "7", date, "MY PART .NC         7", 47},
        // An empty date text adds nothing.
        {2, true, false, "X.NC", "0", "", "X       .NC         0", 41},
        // op4: the plain long name.
        {2, true, true, "PROGRAM_LONG.NC", "1", date, "PROGRAM_LONG.NC", 15},
        {2, false, true, "PROGRAM_LONG.NC", "1", date, "PROGRAM_LONG", 12},
    };
    for (const RowCase& c : cases) {
        RowFormatOptions options{c.listColumn, c.allFiles, c.plain};
        std::string body = FormatRow(options, c.name, c.size, c.date);
        EXPECT_EQ(TrimRight(body), c.visible) << c.name << " ListColumn " << c.listColumn;
        EXPECT_EQ(DisplayColumns(body), c.columns) << c.name << " ListColumn " << c.listColumn;
    }
}

TEST(RowFormat, ShortNamesNeverSplitADoubleWidthCharacter) {
    EXPECT_EQ(ShortName83("O1000.NC"), "O1000.NC");
    EXPECT_EQ(ShortName83("12345678.TXT"), "12345678.TXT");
    EXPECT_EQ(ShortName83("123456789.TXT"), "123456~1.TXT");
    EXPECT_EQ(ShortName83("A.LONGEXT"), "A.LON");
    EXPECT_EQ(ShortName83("あいうえお"), "あいう~1");
    EXPECT_EQ(ShortName83("aあいうえ"), "aあい~1"); // 5 columns, the next would be 7
    EXPECT_EQ(ShortName83(".profile"), ".profile");
    EXPECT_EQ(DisplayColumns(ShortName83(std::string(255, 'n'))), 8);
}

TEST(RowFormat, DisplayNamesShowControlCharactersAndOtherEncodings) {
    EXPECT_EQ(DisplayName("A\nB.NC"), "A?B.NC");
    EXPECT_EQ(DisplayName("\x83\x65\x83\x58\x83\x67.NC"), "テスト.NC"); // Shift-JIS bytes
    EXPECT_TRUE(IsValidUtf8(DisplayName("\xff\xfe.NC")));
}

TEST(RowFormat, ParentRowPerListColumn) {
    const char* date = "2024-05-06 07:08:10";
    EXPECT_EQ(ParentRowText(1, date), " ..              <DIR> 24-05-06 07:08");
    EXPECT_EQ(ParentRowText(2, ""), " ..              <DIR> ");
    EXPECT_EQ(ParentRowText(3, date), " ..              <DIR>");
    EXPECT_EQ(ParentRowText(4, date), " ..");
    EXPECT_EQ(ParentRowText(5, date), " ..");
    // "<DIR>" stands in row columns 18 to 22, as in a folder row.
    EXPECT_EQ(ParentRowText(3, "").find("<DIR>"), 17u);
}

TEST(RowFormat, SizesForTheDetailLine) {
    EXPECT_EQ(FormatSize(0), "0ﾊﾞｲﾄ");
    EXPECT_EQ(FormatSize(1023), "1023ﾊﾞｲﾄ");
    EXPECT_EQ(FormatSize(1024), "1.000KB");
    EXPECT_EQ(FormatSize(1536), "1.500KB");
    EXPECT_EQ(FormatSize(1048575), "1023.999KB");
    EXPECT_EQ(FormatSize(1048576), "1.000MB");
    EXPECT_EQ(FormatSize(100000000), "95.367MB");
    EXPECT_EQ(FormatSize(5ull << 30), "5120.000MB"); // beyond 32 bits, still true
}

TEST(RowFormat, PathLinePutsTheCountAtColumn68) {
    EXPECT_EQ(FormatPathLine(" Path=/nc/*.*", 12),
              " Path=/nc/*.*" + Blanks(54) + "     ﾌｧｲﾙ数 :12");
    EXPECT_EQ(FormatPathLine(" Path=/nc/*.*", -1),
              " Path=/nc/*.*" + Blanks(54) + "     ﾌｧｲﾙ数 :????");
    std::string longPath = " Path=/" + std::string(100, 'x') + "/*.*";
    EXPECT_EQ(FormatPathLine(longPath, 0), longPath.substr(0, 67) + "     ﾌｧｲﾙ数 :0");
    // A double-width character across column 67 is left out, not split.
    std::string japanese = " Path=/" + std::string(59, 'x') + "加工/*.*"; // 加 at 67-68
    std::string line = FormatPathLine(japanese, 3);
    EXPECT_EQ(line, japanese.substr(0, 66) + " " + "     ﾌｧｲﾙ数 :3");
    EXPECT_EQ(DisplayColumns(line.substr(0, line.find("     ﾌｧｲﾙ数"))), 67);
}

TEST(RowFormat, DatesInLocalTimeWithEvenSecondsForFiles) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(FormatDateTime(1715000891, false), "2024-05-06 13:08:11");
    EXPECT_EQ(FormatDateTime(1715000891, true), "2024-05-06 13:08:10");
    EXPECT_EQ(FormatDateTime(0, false), "");
}

} // namespace
