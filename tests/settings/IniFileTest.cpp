#include "settings/IniFile.h"
#include "platform/FileWrite.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(IniFile, NamesMatchWithoutCaseAndBlanks) {
    IniFile ini = IniFile::Parse("[ setting ]\r\n  portone  =  COM3  \r\nTop =300\n");
    EXPECT_EQ(ini.ReadString("Setting", "PORTONE", "x"), "COM3");
    EXPECT_EQ(ini.ReadString("SETTING", " Top ", "x"), "300");
    EXPECT_EQ(ini.ReadString("Setting", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nowhere", "Top", "dflt"), "dflt");
}

TEST(IniFile, WriteReplacesInPlaceAndKeepsEverythingElse) {
    const char* text = "; my comment\r\n"
                       "[Main]\r\n"
                       "Top = 300\r\n"
                       "Foreign=keep me\r\n"
                       "no equals sign here\r\n"
                       "\r\n"
                       "[Other]\r\n"
                       "x=1\r\n";
    IniFile ini = IniFile::Parse(text);
    ini.WriteInteger("Main", "Top ", 42);
    ini.WriteString("main", "Left", "7");
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(ini.Serialize(), "; my comment\r\n"
                               "[Main]\r\n"
                               "Top=42\r\n"
                               "Foreign=keep me\r\n"
                               "no equals sign here\r\n"
                               "Left=7\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "x=1\r\n"
                               "[New]\r\n"
                               "k=v\r\n");
}

TEST(IniFile, DuplicateKeysUseTheFirstAndWriteReplacesOnlyIt) {
    IniFile ini = IniFile::Parse("[S]\nk=1\nk=2\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "1");
    ini.WriteString("S", "K", "9");
    EXPECT_EQ(ini.Serialize(), "[S]\r\nK=9\r\nk=2\r\n");
    ASSERT_EQ(ini.ReadSection("S").size(), 1u);
}

// A folder name may hold a line end; written whole it would start lines and
// sections of its own and hide the keys after it at the next start.
TEST(IniFile, AValueEndsAtItsFirstLineEnd) {
    struct Case {
        const char* value;
        const char* stored;
    } cases[] = {
        {"/nc/a\nb", "/nc/a"},
        {"/nc/x\r\n[Other]\r\nMask=*.TXT", "/nc/x"},
        {"\r\n[Setting]", ""},
        {" /nc/y \rz", "/nc/y"},
    };
    for (const Case& c : cases) {
        IniFile ini = IniFile::Parse("[Setting]\r\nDirPath=/old\r\nMask=*.NC\r\n");
        ini.WriteString("Setting", "DirPath", c.value);
        IniFile again = IniFile::Parse(ini.Serialize());
        EXPECT_EQ(again.ReadString("Setting", "DirPath", "?"), c.stored) << c.value;
        EXPECT_EQ(again.ReadString("Setting", "Mask", "?"), "*.NC") << c.value;
        EXPECT_EQ(again.Serialize(), ini.Serialize()) << c.value;
        EXPECT_FALSE(again.HasKey("Other", "Mask")) << c.value;
    }
}

TEST(IniFile, IntegersFallBackOnJunk) {
    IniFile ini = IniFile::Parse("[S]\na=12\nb=12x\nc=\nd=-5\ne=99999999999\nf= 8 \n");
    EXPECT_EQ(ini.ReadInteger("S", "a", 1), 12);
    EXPECT_EQ(ini.ReadInteger("S", "b", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "c", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "d", 1), -5);
    EXPECT_EQ(ini.ReadInteger("S", "e", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "f", 1), 8);
}

TEST(IniFile, BinaryJunkAndLongLinesDoNotBreakParsing) {
    std::string junk("\x00\xff\xfe[\x01]=\x80\r\r\n", 12);
    std::string longLine(200000, 'A');
    IniFile ini = IniFile::Parse(junk + longLine + "\n[S]\nk=v\n" + longLine + "=w\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    EXPECT_EQ(ini.ReadString("S", longLine, ""), "w");
}

TEST(IniFile, ShiftJisValuesAreDecoded) {
    // "ＮＣ" in Shift-JIS, as a Windows build writes it.
    IniFile ini = IniFile::Parse("[S]\nDirPath=D:\\\x82\x6d\x82\x62\n");
    EXPECT_EQ(ini.ReadString("S", "DirPath", ""), "D:\\ＮＣ");
}

TEST(IniFile, SaveAndLoadRoundTrip) {
    TempDir dir;
    IniFile ini;
    ini.WriteString("Setting", "Mask", "*.NC");
    ASSERT_TRUE(ini.Save(dir / "a.ini"));
    EXPECT_EQ(TempDir::Read(dir / "a.ini"), "[Setting]\r\nMask=*.NC\r\n");
    EXPECT_EQ(IniFile::Load(dir / "a.ini").ReadString("setting", "mask", ""), "*.NC");
    EXPECT_EQ(IniFile::Load(dir / "missing.ini").Serialize(), "");
}

TEST(IniFile, FailedSaveReportsAndLeavesTheOldFile) {
    TempDir dir;
    dir.Write("a.ini", "[S]\r\nk=old\r\n");
    IniFile ini = IniFile::Load(dir / "a.ini");
    ini.WriteString("S", "k", "new");
    SetFileWriteFaultForTest([](const std::filesystem::path&) { return ENOSPC; });
    std::string error;
    EXPECT_FALSE(ini.Save(dir / "a.ini", &error));
    SetFileWriteFaultForTest(nullptr);
    EXPECT_NE(error.find("a.ini"), std::string::npos);
    EXPECT_EQ(TempDir::Read(dir / "a.ini"), "[S]\r\nk=old\r\n");
    std::string missing;
    EXPECT_FALSE(ini.Save(dir / "no" / "such" / "a.ini", &missing));
    EXPECT_NE(missing.find("a.ini"), std::string::npos);
}

TEST(IniFile, AFileThatCannotBeReadGivesAnEmptyProfileAndTheReason) {
    TempDir dir;
    std::string error = "old";
    // Missing: the defaults, and no fault.
    EXPECT_FALSE(IniFile::Load(dir / "Dravik.INI", &error).HasKey("Setting", "DirPath"));
    EXPECT_EQ(error, "");
    // A folder in its place once threw out of the stream read and ended the program.
    std::filesystem::create_directory(dir / "Dravik.INI");
    EXPECT_FALSE(IniFile::Load(dir / "Dravik.INI", &error).HasKey("Setting", "DirPath"));
    EXPECT_NE(error.find("Dravik.INI"), std::string::npos);
}
