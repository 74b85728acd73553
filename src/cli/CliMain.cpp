#include "cli/Commands.h"
#include "cli/PortsCommand.h"

#include "cli/RunOptions.h"
#include "cli/TerminalHost.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

const OptionSpec kQuiet{"quiet", 'q', "", "進行状況と完了の表示をしない (失敗の理由は表示)"};
const OptionSpec kYes{"yes", 'y', "", "確認の質問にすべて「はい」と答える"};
const OptionSpec kNoOverwrite{"no-overwrite", 0, "", "既存のファイルは上書きせず失敗とする"};
const OptionSpec kPort{"port", 0, "COMn", "ポート (Dravik.INI の [Ports] で装置に対応)"};
const OptionSpec kSpeed{"speed", 0, "S", "通信設定 例: 9600,7,E,2"};
const OptionSpec kTimeout{"timeout", 0, "SEC",
                          "相手側がこの秒数動かなければ中止 (既定: 待ち続ける)"};
const OptionSpec kSelect{"select", 0, "TEXT", "自動切替器の選択番号 (AutoSelect=Y のとき)"};
const OptionSpec kMask{"mask", 0, "MASK", "拡張子を決めるマスク 例: *.NC"};
const OptionSpec kStartChar{"start-char", 0, "", "開始文字を付ける (StartChar=Y)"};
const OptionSpec kNoStartChar{"no-start-char", 0, "", "開始文字を付けない (StartChar=N)"};
const OptionSpec kEndChar{"end-char", 0, "", "終了文字を付ける (EndChar=Y)"};
const OptionSpec kNoEndChar{"no-end-char", 0, "", "終了文字を付けない (EndChar=N)"};

std::vector<CommandSpec> MakeCommands() {
    std::vector<CommandSpec> commands;
    commands.push_back({"send",
                        "FILE...",
                        "ファイルを順に NC へ送信する",
                        {kPort,
                         kSpeed,
                         {"code", 0, "iso|eia", "送信コード (Code)"},
                         kStartChar,
                         kNoStartChar,
                         kEndChar,
                         kNoEndChar,
                         {"nc-start", 0, "", "NC 側の DC1 か % で送信開始 (Signal1=Y)"},
                         {"pc-start", 0, "", "PC 側から送信開始、--yes が必要 (Signal1=N)"},
                         {"char-delay", 0, "MS", "1 文字ごとの待ち時間 (InvTime)"},
                         kSelect,
                         kTimeout,
                         kYes,
                         kQuiet},
                        1,
                        SIZE_MAX,
                        {}});
    commands.push_back({"receive",
                        "",
                        "NC から受信する (既定: O番号毎に1ファイル)",
                        {{"name", 0, "FILE", "受信ファイル名を指定して1ファイルに受信"},
                         {"dir", 0, "DIR", "受信フォルダー (この実行だけ DirPath を変える)"},
                         kPort,
                         kSpeed,
                         {"code", 0, "auto|iso|eia|ascii", "受信コード (R_Code)"},
                         kStartChar,
                         kNoStartChar,
                         kEndChar,
                         kNoEndChar,
                         {"add-number", 0, "", "ファイル名に番号を付ける (Add_No=Y)"},
                         {"no-add-number", 0, "", "ファイル名に番号を付けない (Add_No=N)"},
                         kMask,
                         kSelect,
                         kTimeout,
                         kYes,
                         kNoOverwrite,
                         kQuiet},
                        0,
                        0,
                        {}});
    commands.push_back({"split",
                        "FILE",
                        "O番号毎に分割する (Div_Sub.ini の分割オプション)",
                        {{"to", 0, "DIR", "保存先フォルダー (必須)"}, kMask, kYes, kQuiet},
                        1,
                        1,
                        {"to"}});
    commands.push_back(
        {"join",
         "FILE...",
         "ファイルを結合する",
         {{"name", 0, "NAME", "結合ファイル名 (必須; / がなければ最初のファイルの隣)"},
          kMask,
          kYes,
          kNoOverwrite,
          kQuiet},
         1,
         SIZE_MAX,
         {"name"}});
    commands.push_back(
        {"double",
         "FILE",
         "選択軸を２倍に変換する (FILE_2 を作る)",
         {{"axis", 0, "X", "変換する軸 X Y Z I J K U V W (必須)"}, kMask, kYes, kQuiet},
         1,
         1,
         {"axis"}});
    commands.push_back({"ports", "", "COM 名と装置の対応を表示する", {}, 0, 0, {}});
    const OptionSpec socket{"socket", 0, "PATH",
                            "制御ソケット (既定: 実行時フォルダーの dravik-dnc.sock)"};
    commands.push_back(
        {"serve",
         "",
         "Machines.ini のすべてのマシンを同時に受け持つ (DNC サーバー)",
         {{"machines", 0, "FILE", "マシン表 (既定: プログラムフォルダーの Machines.ini)"}, socket},
         0,
         0,
         {}});
    commands.push_back({"queue",
                        "MACHINE FILE...",
                        "動いているサーバーにマシンへ送るファイルを渡す",
                        {{"clear", 0, "", "そのマシンの待ちを空にする"}, socket, kQuiet},
                        1,
                        SIZE_MAX,
                        {}});
    commands.push_back({"status",
                        "",
                        "サーバーの各マシンの状態を表示する (停止中があれば終了コード 1)",
                        {socket},
                        0,
                        0,
                        {}});
    return commands;
}

constexpr std::string_view kFooter =
    "\n設定は Dravik.INI から読みます (ウィンドウと同じプログラムフォルダー: DRAVIK_HOME など)。\n"
    "オプションはこの実行だけ設定を変え、Dravik.INI には書き戻しません。\n"
    "送受信の記録は Dravik.log に書きます。パスは現在のフォルダーから数えます。\n"
    "Ctrl+C (SIGINT, SIGTERM) は Esc と同じく転送を中止します。\n"
    "進行状況は標準エラーが端末のときだけ表示します。\n"
    "終了コード: 0 完了, 1 中止・失敗, 2 使い方の誤り\n";

void Print(FILE* to, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), to);
}

int UsageError(const std::string& reason) {
    Print(stderr, "dravik-cli: " + reason + "\n");
    return kExitUsage;
}

int RunCommand(const ParsedCommand& parsed, TSettings& settings, TerminalHost& host) {
    const std::string_view name = parsed.command->name;
    if (name == "send")
        return RunSend(parsed, settings, host);
    if (name == "receive")
        return RunReceive(parsed, settings, host);
    if (name == "split")
        return RunSplit(parsed, settings, host);
    if (name == "join")
        return RunJoin(parsed, settings, host);
    if (name == "double")
        return RunDouble(parsed, settings, host);
    if (name == "serve")
        return RunServe(parsed, settings);
    if (name == "queue")
        return RunQueue(parsed, host);
    if (name == "status")
        return RunStatus(parsed, host);
    return RunPorts(settings.Ports, std::cout);
}

} // namespace

const std::vector<CommandSpec>& CliCommands() {
    static const std::vector<CommandSpec> commands = MakeCommands();
    return commands;
}

int RunCli(const std::vector<std::string>& args) {
    const ParsedCommand parsed = ParseCommandLine(args, CliCommands());
    if (parsed.help) {
        Print(stdout, parsed.command ? CommandUsage(*parsed.command, kFooter)
                                     : ProgramUsage(CliCommands(), kFooter));
        return kExitCompleted;
    }
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    std::string error;
    const RunChoices choices = RunChoicesOf(parsed, &error);
    if (!error.empty())
        return UsageError(error);

    TSettings settings;
    std::string readError;
    LoadSettings(settings, IniFile::Load(SettingsPath(), &readError));
    TerminalHost host(choices, ::isatty(STDERR_FILENO) == 1);
    if (!readError.empty()) {
        host.Say("Dravik.INI を読めません: " + readError);
        return kExitFailed;
    }
    const LineSide side = parsed.command->name == "receive" ? LineSide::Receive : LineSide::Send;
    error = ApplySettingOptions(parsed, side, settings);
    if (!error.empty())
        return UsageError(error);
    return RunCommand(parsed, settings, host);
}

std::string CommandLinePath(const std::string& typed) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(typed, ec);
    if (ec)
        path = typed;
    return DropTrailingSeparator(path.lexically_normal().string());
}

std::string CommonFolder(const std::vector<std::string>& paths) {
    std::string common = paths.empty() ? std::string("/") : ParentPath(paths.front());
    for (const std::string& path : paths) {
        // Shorten common until it is a folder above path.
        while (common != "/" && path.compare(0, common.size() + 1, common + "/") != 0)
            common = ParentPath(common);
    }
    return common;
}

std::string RelativeTo(const std::string& path, const std::string& folder) {
    return folder == "/" ? path.substr(1) : path.substr(folder.size() + 1);
}
