#include "settings/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string SaveToText(const TSettings& s, const std::string& before = "") {
    IniFile ini = IniFile::Parse(before);
    SaveSettings(s, ini);
    return ini.Serialize();
}

} // namespace

TEST(Settings, NoFileGivesTheDefaultsAndTheCloseWritesEveryKeyButWinVer) {
    setenv("HOME", "/home/operator", 1);
    TSettings s;
    LoadSettings(s, IniFile());
    EXPECT_EQ(s.Left, 10);
    EXPECT_EQ(s.Top, 10);
    EXPECT_EQ(s.Port1, "COM1");
    EXPECT_EQ(s.Speed2, "4800,8,N,2");
    EXPECT_EQ(s.DirPath, "/home/operator");
    EXPECT_EQ(s.Mask, "*.NC");
    EXPECT_EQ(s.ListColumn, 2);
    EXPECT_FALSE(s.WinVer);

    IniFile written = IniFile::Parse(SaveToText(s));
    for (const char* key :
         {"Port1",       "Speed1",     "Port2",          "Speed2",       "DirPath",  "Mask",
          "Signal1",     "Signal2",    "StartChar",      "FileSort",     "SortMuki", "Code",
          "Puncher",     "Feed",       "Feed1",          "Reader",       "EndChar",  "O/:-Change",
          "ALL-Files",   "DC3(0X93)",  "StartChar_Type", "EndChar_Type", "SendMsg1", "R_Code",
          "ModemePort1", "ModemePort2"})
        EXPECT_TRUE(written.HasKey("Setting", key)) << key;
    for (const char* key :
         {"op1", "InvTime", "ListColumn", "Add_No", "Power_Off", "Send_SP_Cut", "Read_SP_Cut",
          "Send_Before", "AutoSelect", "MSG_OP", "op2", "op3", "op4", "op5", "op6"})
        EXPECT_TRUE(written.HasKey("Options", key)) << key;
    EXPECT_FALSE(written.HasKey("Options", "WinVer"));
    EXPECT_TRUE(written.HasKey("Main", "Top"));
    EXPECT_TRUE(written.HasKey("Main", "Left"));
}

TEST(Settings, SaveOrderStartsWithTopThenLeft) {
    std::string text = SaveToText(TSettings());
    EXPECT_EQ(text.rfind("[Main]\r\nTop=10\r\nLeft=10\r\n[Setting]\r\nPort1=COM1\r\n", 0), 0u)
        << text;
    EXPECT_LT(text.find("ModemePort1="), text.find("ModemePort2="));
    EXPECT_LT(text.find("op1="), text.find("InvTime="));
}

TEST(Settings, TopWithBlankBeforeEqualsIsReadAndRewrittenOnTheSameEntry) {
    TSettings s;
    IniFile ini = IniFile::Parse("[Main]\r\nTop =300\r\n");
    LoadSettings(s, ini);
    EXPECT_EQ(s.Top, 300);
    s.Top = 120;
    SaveSettings(s, ini);
    std::string text = ini.Serialize();
    EXPECT_EQ(text.find("Top"), text.rfind("Top")) << "a second Top entry was written";
    EXPECT_EQ(IniFile::Parse(text).ReadInteger("Main", "Top", 0), 120);
}

TEST(Settings, WinVerIsReadButNeverWritten) {
    TSettings s;
    IniFile ini = IniFile::Parse("[Options]\r\nWinVer=1\r\n");
    LoadSettings(s, ini);
    EXPECT_TRUE(s.WinVer);
    s.WinVer = false;
    SaveSettings(s, ini);
    EXPECT_EQ(ini.ReadString("Options", "WinVer", ""), "1");
}

TEST(Settings, BadIntegersGiveDefaultsAndOutOfRangeValuesStayAsRead) {
    TSettings s;
    LoadSettings(s, IniFile::Parse("[Options]\nInvTime=abc\nListColumn=9\nSend_Before=\n"
                                   "[Setting]\nR_Code=1x\nStartChar_Type=4\n"));
    EXPECT_EQ(s.InvTime, 0);
    EXPECT_EQ(s.ListColumn, 9);
    EXPECT_EQ(s.Send_Before, 0);
    EXPECT_EQ(s.R_Code, 0);
    EXPECT_EQ(s.StartChar_Type, 4);
}

TEST(Settings, EmptyValuesAndForeignKeysSurviveAClose) {
    const std::string before = "[Setting]\r\nSendMsg1=\r\nModemePort1=\r\nMyKey=mine\r\n";
    TSettings s;
    IniFile ini = IniFile::Parse(before);
    LoadSettings(s, ini);
    EXPECT_EQ(s.SendMsg1, "");
    SaveSettings(s, ini);
    EXPECT_TRUE(ini.HasKey("Setting", "SendMsg1"));
    EXPECT_EQ(ini.ReadString("Setting", "ModemePort1", "x"), "");
    EXPECT_EQ(ini.ReadString("Setting", "MyKey", ""), "mine");
}

TEST(Settings, KeysWithPunctuationAndPortsRoundTrip) {
    TSettings s;
    s.OChange = "Y";
    s.ALLFiles = "N";
    s.DC30X93 = "N";
    s.Ports = {{"COM3", "/dev/ttyUSB0"}};
    TSettings back;
    LoadSettings(back, IniFile::Parse(SaveToText(s)));
    EXPECT_EQ(back.OChange, "Y");
    EXPECT_EQ(back.ALLFiles, "N");
    EXPECT_EQ(back.DC30X93, "N");
    ASSERT_EQ(back.Ports.size(), 1u);
    EXPECT_EQ(back.Ports[0].second, "/dev/ttyUSB0");
}

TEST(Settings, ARelativeWorkingDirectoryMeansTheHomeFolder) {
    setenv("HOME", "/home/operator", 1);
    struct Case {
        const char* stored;
        const char* dirPath;
    };
    // A Windows installation's drive paths would otherwise be taken against the
    // process's current folder.
    const Case cases[] = {
        {"C:", "/home/operator"}, {"D:\\NC", "/home/operator"}, {"NC/programs", "/home/operator"},
        {"", "/home/operator"},   {"/srv/nc", "/srv/nc"},       {"/", "/"}};
    for (const Case& c : cases) {
        TSettings s;
        LoadSettings(s, IniFile::Parse(std::string("[Setting]\r\nDirPath=") + c.stored + "\r\n"));
        EXPECT_EQ(s.DirPath, c.dirPath) << c.stored;
    }
}

// Mended: a Dravik.INI of the Windows build holds Shift-JIS. A path keeps its bytes
// from the file to the system call and back into the file; a text is still decoded.
TEST(Settings, PathValuesKeepTheirShiftJisBytesTextsAreDecoded) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工"
    TempDir dir;
    std::filesystem::create_directory(dir / sjis);
    const std::string folder = (dir / sjis).string(), device = "/dev/serial/by-id/" + sjis;
    IniFile ini = IniFile::Parse("[Setting]\r\nDirPath=" + folder + "\r\nSendMsg1=" + sjis +
                                 "\r\n[Ports]\r\nCOM3=" + device + "\r\n");
    TSettings s;
    LoadSettings(s, ini);
    EXPECT_TRUE(std::filesystem::is_directory(s.DirPath)) << s.DirPath;
    EXPECT_EQ(s.SendMsg1, "加工");
    ASSERT_EQ(s.Ports.size(), 1u);
    EXPECT_EQ(s.Ports[0].second, device);
    SaveSettings(s, ini);
    const std::string saved = ini.Serialize();
    EXPECT_NE(saved.find("DirPath=" + folder + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("COM3=" + device + "\r\n"), std::string::npos);
}
