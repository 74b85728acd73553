#include "extapps/AppTable.h"

#include "support/IniKeys.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(AppTable, MissingOrUnreadableFileGivesTheDefaults) {
    TempDir dir;
    std::filesystem::create_directory(dir / "OutApp_Sub.ini"); // cannot be read as a file
    for (const IniFile& ini :
         {IniFile::Load(dir / "none.ini"), IniFile::Load(dir / "OutApp_Sub.ini"),
          IniFile::Parse("[Other]\r\nEditApp=/x\r\n")}) {
        TAppTable table;
        table.EditApp = "stale";
        table.apps[3] = {"stale", "Y", "stale"};
        ReadAppTable(table, ini);
        EXPECT_EQ(table.EditApp, "");
        for (const AppBinding& app : table.apps) {
            EXPECT_EQ(app.command, "");
            EXPECT_EQ(app.flag, "N");
            EXPECT_EQ(app.name, "");
        }
    }
}

TEST(AppTable, SeventyNineKeysWrittenInOrderAndReadBack) {
    TempDir dir;
    TAppTable table;
    table.EditApp = "/usr/bin/editor";
    table.apps[0] = {"/tools/view $A", "Y", "ﾋﾞｭｰｱ"};
    table.apps[25] = {"/tools/last", "N", "Z"};
    IniFile ini;
    WriteAppTable(table, ini);
    ASSERT_TRUE(ini.Save(dir / "OutApp_Sub.ini"));
    std::string text = TempDir::Read(dir / "OutApp_Sub.ini");
    EXPECT_EQ(text.substr(0, 13), "[Application]");
    std::vector<std::string> keys = IniKeys(text);
    ASSERT_EQ(keys.size(), 79u);
    EXPECT_EQ(keys, AppTableKeys());
    EXPECT_EQ(keys[0], "EditApp");
    EXPECT_EQ(keys[1], "OutAppA");
    EXPECT_EQ(keys[2], "OutAppA_F");
    EXPECT_EQ(keys[3], "OutAppA_N");
    EXPECT_EQ(keys[78], "OutAppZ_N");
    // Empty values are written too, so that the file lists every binding.
    EXPECT_NE(text.find("OutAppB=\r\nOutAppB_F=N\r\nOutAppB_N=\r\n"), std::string::npos);

    TAppTable back;
    ReadAppTable(back, IniFile::Load(dir / "OutApp_Sub.ini"));
    EXPECT_EQ(back.EditApp, table.EditApp);
    for (size_t i = 0; i < 26; ++i) {
        EXPECT_EQ(back.apps[i].command, table.apps[i].command) << i;
        EXPECT_EQ(back.apps[i].flag, table.apps[i].flag) << i;
        EXPECT_EQ(back.apps[i].name, table.apps[i].name) << i;
    }
}

TEST(AppTable, AHandWrittenFileKeepsItsOtherLinesAndItsOrder) {
    IniFile ini = IniFile::Parse("; note\r\n[application]\r\n OutAppC = /tools/c \r\nMine=1\r\n"
                                 "OutAppC_F=x\r\n");
    TAppTable table;
    ReadAppTable(table, ini);
    EXPECT_EQ(table.apps[2].command, "/tools/c");
    EXPECT_EQ(table.apps[2].flag, "x"); // any value is kept as text; only "Y" asks
    WriteAppTable(table, ini);
    std::string text = ini.Serialize();
    EXPECT_EQ(text.substr(0, 8), "; note\r\n");
    EXPECT_NE(text.find("Mine=1\r\n"), std::string::npos);
    EXPECT_EQ(IniKeys(text).size(), 80u);
}

// Mended: an OutApp_Sub.ini of the Windows build holds Shift-JIS. Program paths and
// command lines keep their bytes (they name files); the names shown are decoded.
TEST(AppTable, ProgramPathsKeepTheirBytesNamesAreDecoded) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工"
    const std::string edit = "EditApp=/opt/" + sjis + "/edit",
                      view = "OutAppA=/opt/" + sjis + " $A";
    IniFile ini = IniFile::Parse("[Application]\r\n" + edit + "\r\n" + view +
                                 "\r\nOutAppA_N=" + sjis + "\r\n");
    TAppTable table;
    ReadAppTable(table, ini);
    EXPECT_EQ(table.apps[0].name, "加工");
    WriteAppTable(table, ini);
    EXPECT_NE(ini.Serialize().find(edit + "\r\n" + view + "\r\n"), std::string::npos);
}

TEST(AppTable, LegendTexts) {
    TAppTable table;
    table.EditApp = "/usr/bin/vi";
    table.ForLetter('A')->name = "ﾋﾞｭｰｱ";
    table.ForLetter('N')->name = "Backplot";
    std::string left = AppLegendLeft(table);
    std::string right = AppLegendRight(table);
    EXPECT_EQ(left.substr(0, left.find('\n') + 1), "ｴﾃﾞｨﾀｰ: /usr/bin/vi\n");
    EXPECT_NE(left.find("\nALT+A : ﾋﾞｭｰｱ\nALT+B : \n"), std::string::npos);
    EXPECT_NE(left.find("\nALT+M : \n"), std::string::npos);
    EXPECT_EQ(left.find("ALT+N"), std::string::npos);
    EXPECT_EQ(std::count(left.begin(), left.end(), '\n'), 14);
    EXPECT_EQ(right.substr(0, 19), "ALT+N : Backplot\nAL");
    EXPECT_EQ(std::count(right.begin(), right.end(), '\n'), 13);
    EXPECT_NE(right.find("ALT+Z : \n"), std::string::npos);
    EXPECT_EQ(table.ForLetter('a'), nullptr);
    EXPECT_EQ(table.ForLetter('['), nullptr);
}

} // namespace
