// The command line of dravik-cli: parsing against the command table, the
// settings a run overrides, and the folder arithmetic of the file operands.
#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/RunOptions.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > at)
            words.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

ParsedCommand Parse(std::string_view line) {
    return ParseCommandLine(Words(line), CliCommands());
}

TEST(CliArguments, ParsesEveryFormOrSaysWhyNot) {
    struct Case {
        std::string_view line;
        std::string_view error; // a part of the error; empty: sound
        std::vector<std::string> operands;
        std::vector<std::pair<std::string, std::string>> options;
    };
    const Case cases[] = {
        {"send A.NC B.NC", "", {"A.NC", "B.NC"}, {}},
        {"send --port COM2 A.NC", "", {"A.NC"}, {{"port", "COM2"}}},
        {"send A.NC --speed=9600,7,E,2 -q", "", {"A.NC"}, {{"speed", "9600,7,E,2"}, {"quiet", ""}}},
        {"send -- --odd-name.NC", "", {"--odd-name.NC"}, {}},
        {"send - ", "", {"-"}, {}},
        {"receive --name=O1 -y", "", {}, {{"name", "O1"}, {"yes", ""}}},
        {"split A.NC --to=", "", {"A.NC"}, {{"to", ""}}},
        {"send", "FILE... がありません", {}, {}},
        {"send A.NC --port", "--port に COMn がありません", {}, {}},
        {"send A.NC --quiet=1", "--quiet は値を取りません", {}, {}},
        {"send A.NC --name X", "不明なオプションです: --name", {}, {}},
        {"send A.NC -z", "不明なオプションです: -z", {}, {}},
        {"receive X", "余分な引数", {}, {}},
        {"split A.NC B.NC --to D", "余分な引数", {}, {}},
        {"join A.NC B.NC", "--name が必要です", {}, {}},
        {"double A.NC", "--axis が必要です", {}, {}},
        {"transmit A.NC", "不明なコマンドです: transmit", {}, {}},
        {"", "コマンドがありません", {}, {}},
    };
    for (const Case& c : cases) {
        const ParsedCommand parsed = Parse(c.line);
        if (c.error.empty()) {
            EXPECT_EQ(parsed.error, "") << c.line;
            EXPECT_EQ(parsed.operands, c.operands) << c.line;
            EXPECT_EQ(parsed.options, c.options) << c.line;
        } else {
            EXPECT_NE(parsed.error.find(c.error), std::string::npos)
                << c.line << ": " << parsed.error;
        }
    }
}

TEST(CliArguments, HelpWinsOverEverythingMissingAndListsEachOption) {
    for (std::string_view line :
         {"--help", "-h", "join --help", "split -h A.NC B.NC", "send --help"})
        EXPECT_TRUE(Parse(line).help) << line;
    const ParsedCommand join = Parse("join --help");
    ASSERT_NE(join.command, nullptr);
    const std::string usage = CommandUsage(*join.command, "");
    for (const OptionSpec& option : join.command->options)
        EXPECT_NE(usage.find("--" + std::string(option.name)), std::string::npos) << option.name;
    const std::string all = ProgramUsage(CliCommands(), "");
    for (const CommandSpec& command : CliCommands())
        EXPECT_NE(all.find("  " + std::string(command.name) + " "), std::string::npos);
}

TEST(CliArguments, SettingOptionsOverrideTheirLinePairOnly) {
    struct Case {
        std::string_view line;
        LineSide side;
        std::string TSettings::*field;
        std::string expected;
    };
    const Case cases[] = {
        {"send A --port COM3", LineSide::Send, &TSettings::Port1, "COM3"},
        {"send A --port COM3", LineSide::Send, &TSettings::Port2, "COM1"},
        {"receive --port com4", LineSide::Receive, &TSettings::Port2, "com4"},
        {"receive --speed 9600,7,E,2", LineSide::Receive, &TSettings::Speed2, "9600,7,E,2"},
        {"receive --speed 9600,7,E,2", LineSide::Receive, &TSettings::Speed1, "4800,8,N,2"},
        {"send A --code eia", LineSide::Send, &TSettings::Code, "Y"},
        {"send A --code iso", LineSide::Send, &TSettings::Code, "N"},
        {"send A --start-char", LineSide::Send, &TSettings::StartChar, "Y"},
        {"send A --start-char --no-start-char", LineSide::Send, &TSettings::StartChar, "N"},
        {"send A --no-end-char --end-char", LineSide::Send, &TSettings::EndChar, "Y"},
        {"send A --pc-start", LineSide::Send, &TSettings::Signal1, "N"},
        {"receive --no-add-number", LineSide::Receive, &TSettings::Add_No, "N"},
        {"receive --mask *.TXT", LineSide::Receive, &TSettings::Mask, "*.TXT"},
    };
    for (const Case& c : cases) {
        TSettings settings;
        EXPECT_EQ(ApplySettingOptions(Parse(c.line), c.side, settings), "") << c.line;
        EXPECT_EQ(settings.*c.field, c.expected) << c.line;
    }
    TSettings settings;
    ApplySettingOptions(Parse("receive --code eia"), LineSide::Receive, settings);
    EXPECT_EQ(settings.R_Code, 2);
    ApplySettingOptions(Parse("receive --code auto"), LineSide::Receive, settings);
    EXPECT_EQ(settings.R_Code, 0);
    ApplySettingOptions(Parse("send A --char-delay 20"), LineSide::Send, settings);
    EXPECT_EQ(settings.InvTime, 20);
}

TEST(CliArguments, UnusableValuesAreBadUsageAndChangeNothing) {
    struct Case {
        std::string_view line;
        LineSide side;
    };
    const Case cases[] = {
        {"send A --port /dev/ttyS0", LineSide::Send},  {"send A --port COM", LineSide::Send},
        {"send A --speed 9601,8,N,1", LineSide::Send}, {"send A --speed fast", LineSide::Send},
        {"send A --code ascii", LineSide::Send},       {"receive --code ebcdic", LineSide::Receive},
        {"receive --mask NC", LineSide::Receive},      {"send A --char-delay -1", LineSide::Send},
        {"send A --char-delay 5ms", LineSide::Send},
    };
    for (const Case& c : cases) {
        TSettings settings;
        const TSettings before = settings;
        EXPECT_NE(ApplySettingOptions(Parse(c.line), c.side, settings), "") << c.line;
        EXPECT_EQ(settings.Port1, before.Port1);
        EXPECT_EQ(settings.Speed1, before.Speed1);
        EXPECT_EQ(settings.Code, before.Code);
    }
    const std::pair<std::string_view, bool> choices[] = {
        {"send A --timeout 30", true},
        {"send A --timeout 0", false},
        {"send A --timeout x", false},
        {"receive --yes --no-overwrite", false},
    };
    for (const auto& [line, sound] : choices) {
        std::string error;
        RunChoicesOf(Parse(line), &error);
        EXPECT_EQ(error.empty(), sound) << line << ": " << error;
    }
    std::string error;
    EXPECT_EQ(RunChoicesOf(Parse("send A --timeout 30"), &error).timeoutSeconds, 30);
}

TEST(CliArguments, FilesAreNamedFromTheirCommonFolder) {
    struct Case {
        std::vector<std::string> paths;
        std::string folder;
    };
    const Case cases[] = {
        {{"/nc/A.NC"}, "/nc"},
        {{"/nc/A.NC", "/nc/B.NC"}, "/nc"},
        {{"/nc/a/A.NC", "/nc/b/B.NC"}, "/nc"},
        {{"/nc/A.NC", "/nc2/B.NC"}, "/"},
        {{"/nc/sub/A.NC", "/nc/B.NC"}, "/nc"},
        {{"/A.NC"}, "/"},
    };
    for (const Case& c : cases) {
        const std::string folder = CommonFolder(c.paths);
        EXPECT_EQ(folder, c.folder);
        for (const std::string& path : c.paths) {
            const std::string name = RelativeTo(path, folder);
            EXPECT_EQ((folder == "/" ? "/" : folder + "/") + name, path);
        }
    }
    EXPECT_EQ(CommandLinePath("/nc/./sub/../A.NC"), "/nc/A.NC");
    EXPECT_EQ(CommandLinePath("/nc/out/"), "/nc/out");
    EXPECT_EQ(CommandLinePath("/"), "/");
}

} // namespace
