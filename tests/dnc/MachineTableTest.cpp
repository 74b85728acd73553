#include "dnc/MachineTable.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Ports known here: COM1 and COM2 (as if [Ports] or a device gave them),
// device paths and network addresses.
bool KnownForTest(const std::string& port, const PortMap&) {
    return port == "COM1" || port == "COM2" || port.front() == '/' ||
           port.find("://") != std::string::npos;
}

class MachineTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(home / "mill");
        fs::create_directory(home / "lathe");
        base.Speed1 = base.Speed2 = "4800,7,E,2";
        base.Mask = "*.NC";
        base.Add_No = "Y";
        base.InvTime = 0;
    }
    MachineTable Read(const std::string& text) {
        return ReadMachineTable(text, base, home.path(), KnownForTest);
    }

    TempDir home;
    TSettings base;
};

// One section with a setting each: the value it must give, or the problem it must report.
struct SectionCase {
    const char* keys;      // the section's lines after Port and Folder
    const char* problem;   // part of the problem text, or nullptr for a sound section
    const char* checkName; // what to check on a sound section
    std::function<std::string(const Machine&)> check;
    const char* expected;
};

TEST_F(MachineTableTest, EachKeyOfASectionIsReadOrReportedWithItsLine) {
    const SectionCase cases[] = {
        {"", nullptr, "defaults",
         [](const Machine& m) {
             return std::string(m.autoReceive ? "Y" : "N") + (m.request ? "Y" : "N") +
                    m.requestProgram + "/" + std::to_string(m.requestDelaySeconds);
         },
         "YNO9999/5"},
        {"Speed=9600,8,N,1\n", nullptr, "both speeds",
         [](const Machine& m) { return m.settings.Speed1 + " " + m.settings.Speed2; },
         "9600,8,N,1 9600,8,N,1"},
        {"Code=eia\n", nullptr, "send code", [](const Machine& m) { return m.settings.Code; }, "Y"},
        {"Code=ISO\n", nullptr, "send code", [](const Machine& m) { return m.settings.Code; }, "N"},
        {"ReceiveCode=ascii\n", nullptr, "receive code",
         [](const Machine& m) { return std::to_string(m.settings.R_Code); }, "3"},
        {"AutoReceive=n\nRequest=Y\nRequestProgram=8000\nRequestDelay=12\n", nullptr, "request",
         [](const Machine& m) {
             return std::string(m.autoReceive ? "Y" : "N") + (m.request ? "Y" : "N") +
                    m.requestProgram + "/" + std::to_string(m.requestDelaySeconds);
         },
         "NYO8000/12"},
        // Any other setting of Dravik.INI, in whatever section it lives there.
        {"Add_No=N\nInvTime=20\nMask=*.TAP\nStartChar=Y\n", nullptr, "other settings",
         [](const Machine& m) {
             return m.settings.Add_No + std::to_string(m.settings.InvTime) + m.settings.Mask +
                    m.settings.StartChar;
         },
         "N20*.TAPY"},
        {"Speed=9600,9,N,1\n", "Speed は", nullptr, nullptr, nullptr},
        {"Code=ASCII\n", "Code は", nullptr, nullptr, nullptr},
        {"ReceiveCode=jis\n", "ReceiveCode は", nullptr, nullptr, nullptr},
        {"AutoReceive=yes\n", "AutoReceive は", nullptr, nullptr, nullptr},
        {"RequestProgram=P9999\n", "RequestProgram は", nullptr, nullptr, nullptr},
        {"RequestDelay=-1\n", "RequestDelay は", nullptr, nullptr, nullptr},
        {"InvTime=fast\n", "知らない設定", nullptr, nullptr, nullptr},
        {"Colour=red\n", "知らない設定", nullptr, nullptr, nullptr},
        {"DirPath=/tmp\n", "DirPath は使えません", nullptr, nullptr, nullptr},
    };
    for (const SectionCase& c : cases) {
        SCOPED_TRACE(c.keys);
        const MachineTable table =
            Read(std::string("; shop floor\n[Machine:MILL-1]\nPort=COM1\nFolder=mill\n") + c.keys);
        if (c.problem) {
            ASSERT_EQ(table.problems.size(), 1u);
            EXPECT_NE(table.problems[0].find(c.problem), std::string::npos) << table.problems[0];
            // The line of the key at fault: the fifth of the file.
            EXPECT_EQ(table.problems[0].rfind("Machines.ini 5: [Machine:MILL-1]", 0), 0u)
                << table.problems[0];
            EXPECT_TRUE(table.machines.empty());
            continue;
        }
        ASSERT_TRUE(table.problems.empty()) << table.problems[0];
        ASSERT_EQ(table.machines.size(), 1u);
        EXPECT_EQ(c.check(table.machines[0]), c.expected) << c.checkName;
        EXPECT_EQ(table.machines[0].settings.DirPath, (home / "mill").string());
    }
}

// Whole sections that must not be served, and the line each is reported at.
struct BadSectionCase {
    const char* section;
    int line;
    const char* problem;
};

TEST_F(MachineTableTest, ABadSectionIsLeftOutAndTheOthersAreServed) {
    const BadSectionCase cases[] = {
        {"[Machine:X]\nPort=COM9\nFolder=mill\n", 5, "ポートが分かりません"},
        {"[Machine:X]\nPort=COM1\nFolder=missing\n", 6, "フォルダーがありません"},
        {"[Machine:X]\nFolder=mill\n", 4, "Port がありません"},
        {"[Machine:X]\nPort=COM1\n", 4, "Folder がありません"},
        {"[Machine:X Y]\nPort=COM1\nFolder=mill\n", 4, "名前は英数字"},
        {"[Machine:]\nPort=COM1\nFolder=mill\n", 4, "名前は英数字"},
    };
    for (const BadSectionCase& c : cases) {
        SCOPED_TRACE(c.section);
        const MachineTable table = Read(
            std::string("[Machine:LATHE]\nPort=/dev/ttyUSB3\nFolder=") + (home / "lathe").string() +
            "\n" + c.section + "[Machine:NET_2]\nPort=tcp://10.0.0.7:4001\nFolder=lathe\n");
        ASSERT_EQ(table.problems.size(), 1u);
        EXPECT_EQ(table.problems[0].rfind("Machines.ini " + std::to_string(c.line) + ":", 0), 0u)
            << table.problems[0];
        EXPECT_NE(table.problems[0].find(c.problem), std::string::npos) << table.problems[0];
        ASSERT_EQ(table.machines.size(), 2u);
        EXPECT_EQ(table.machines[0].name, "LATHE");
        EXPECT_EQ(table.machines[1].name, "NET_2");
    }
}

TEST_F(MachineTableTest, ANameUsedTwiceServesNeitherAndNamesBothLines) {
    const MachineTable table = Read("[Machine:mill]\nPort=COM1\nFolder=mill\n"
                                    "[Machine:LATHE]\nPort=COM2\nFolder=lathe\n"
                                    "[Machine:MILL]\nPort=COM2\nFolder=lathe\n");
    ASSERT_EQ(table.problems.size(), 2u);
    EXPECT_NE(table.problems[0].find("Machines.ini 1:"), std::string::npos);
    EXPECT_NE(table.problems[0].find("7 行"), std::string::npos) << table.problems[0];
    EXPECT_NE(table.problems[1].find("Machines.ini 7:"), std::string::npos);
    ASSERT_EQ(table.machines.size(), 1u);
    EXPECT_EQ(table.machines[0].name, "LATHE");
}

TEST_F(MachineTableTest, APortThatIsNoComNameIsOpenedUnderANameOfItsOwn) {
    const MachineTable table = Read("[Machine:A]\nPort=rfc2217://ds1:7001\nFolder=mill\n"
                                    "[Machine:B]\nPort=COM2\nFolder=lathe\n");
    ASSERT_EQ(table.machines.size(), 2u);
    const TSettings& a = table.machines[0].settings;
    EXPECT_EQ(a.Port1, kMachinePortName);
    EXPECT_EQ(a.Port2, kMachinePortName);
    ASSERT_FALSE(a.Ports.empty());
    EXPECT_EQ(a.Ports.front(),
              (std::pair<std::string, std::string>{"COM999", "rfc2217://ds1:7001"}));
    EXPECT_EQ(table.machines[1].settings.Port2, "COM2");
    // A section's settings never reach another machine.
    EXPECT_EQ(table.machines[1].settings.Ports, base.Ports);
    EXPECT_EQ(table.machines[0].settings.Speed1, "4800,7,E,2");
}

TEST_F(MachineTableTest, ShiftJisValuesAreReadAsTheSettingsFileReadsThem) {
    // "加工" in Shift-JIS, as the Windows build writes Machines.ini.
    fs::create_directory(home / "\xe5\x8a\xa0\xe5\xb7\xa5");
    const MachineTable table = Read("[Machine:M]\r\nPort=COM1\r\nFolder=\x89\xc1\x8d\x48\r\n");
    ASSERT_TRUE(table.problems.empty()) << table.problems[0];
    ASSERT_EQ(table.machines.size(), 1u);
    EXPECT_EQ(table.machines[0].settings.DirPath, (home / "\xe5\x8a\xa0\xe5\xb7\xa5").string());
}

} // namespace
