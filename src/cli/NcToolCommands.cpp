// dravik-cli split, join and double: the window's split (B), join (K) and
// doubling (H) run by the same logic, with the dialogs' fields as options.
#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "files/MakeDirectoryPath.h"
#include "files/RowFormat.h"
#include "files/TextDocument.h"
#include "nctools/AxisDoubling.h"
#include "nctools/FileJoin.h"
#include "nctools/SplitByProgram.h"
#include "nctools/SplitOptions.h"
#include "platform/Paths.h"
#include "settings/Settings.h"

#include <filesystem>

namespace {

// Lines longer than this are cut in the message that names them.
constexpr size_t kShownLineBytes = 80;

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The split's destination: it exists, or it is created after the window's question.
bool PrepareFolder(const std::string& dest, TerminalHost& host) {
    std::error_code ec;
    if (dest == "/" || std::filesystem::is_directory(dest, ec))
        return true;
    if (!host.Yes()) {
        host.Refuse(std::string(kMissingDirectoryQuestion) + " " + dest, "--yes");
        return false;
    }
    std::string error;
    if (!MakeDirectoryPath(dest, &error)) {
        host.Say("ディレクトリを作成できませんでした。 " + error);
        return false;
    }
    host.Tell("ディレクトリを作成しました: " + dest);
    return true;
}

} // namespace

int RunSplit(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host) {
    const std::string source = CommandLinePath(parsed.operands.front());
    const std::string dest = CommandLinePath(*parsed.Value("to"));
    if (!CheckInputFile(source, host) || !PrepareFolder(dest, host))
        return kExitFailed;
    TextDocument document;
    document.SetText(LoadInputFile(source, host).text);
    SplitCallbacks callbacks;
    callbacks.progress = [&](size_t done) {
        host.ShowProgress("分割 " + GroupThousands(int64_t(done)) + "/" +
                          GroupThousands(int64_t(document.LineCount())) + " 行");
    };
    // Ctrl+C ends the split after the last whole file, as the dialog's close does.
    callbacks.cancelled = [&host] { return host.AbortKeyPressed(); };
    const SplitResult result = SplitByProgram(document, dest, LoadSplitOptions(SplitOptionsPath()),
                                              MaskExtension(settings.Mask), callbacks, source);
    switch (result.status) {
    case SplitStatus::Done:
        host.Tell("Ｏ番号毎に分割完了しました。 " + std::to_string(result.files.size()) +
                  " ファイル → " + dest);
        return kExitCompleted;
    case SplitStatus::NoPrograms:
        host.Say("プログラム番号が見つかりませんでした。");
        return kExitFailed;
    case SplitStatus::Cancelled:
        host.Say("分割を中止しました (" + std::to_string(result.files.size()) +
                 " ファイルは書き込み済み): " + host.StopCause());
        return kExitFailed;
    case SplitStatus::WriteFailed:
        break;
    }
    host.Say("分割ファイルを書き込めませんでした。 " + result.error);
    return kExitFailed;
}

namespace {

// Where the joined file goes: a plain name lands beside the first input, as the
// window writes it into the folder of the marked files; a name with a folder is
// a path from the current folder.
struct JoinTarget {
    std::string dirPath;
    std::string outputName;
    std::string outputPath;
};

JoinTarget JoinTargetOf(std::string typed, const std::string& firstInput,
                        const TSettings& settings) {
    JoinTarget target{ParentPath(firstInput), {}, {}};
    if (typed.find('/') != std::string::npos) {
        const std::string path = CommandLinePath(typed);
        target.dirPath = ParentPath(path);
        typed = FileNameOf(path);
    }
    if (!typed.empty()) {
        target.outputName = JoinOutputName(typed, MaskExtension(settings.Mask));
        target.outputPath = JoinOutputPath(target.dirPath, target.outputName);
    }
    return target;
}

// The dialog's checks in its order: readable inputs, the overwrite question, then
// the refusal of an output that is one of the inputs.
bool MayJoin(const std::vector<std::string>& inputs, const JoinTarget& target, TerminalHost& host) {
    if (const size_t gone = FirstUnreadableInput(inputs); gone < inputs.size()) {
        host.Say("ファイルを読めません: " + inputs[gone]);
        return false;
    }
    std::vector<std::string> names;
    for (const std::string& input : inputs) {
        if (!CheckInputFile(input, host))
            return false;
        names.push_back(std::filesystem::path(input).lexically_relative(target.dirPath).string());
    }
    if (!MayReplace(target.outputPath, host))
        return false;
    if (JoinOutputIsInput(target.dirPath, target.outputName, names)) {
        host.Say("この結合ﾌｧｲﾙ名は選択したﾌｧｲﾙに存在します。");
        return false;
    }
    return true;
}

} // namespace

int RunJoin(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host) {
    std::vector<std::string> inputs;
    for (const std::string& operand : parsed.operands)
        inputs.push_back(CommandLinePath(operand));
    const JoinTarget target = JoinTargetOf(*parsed.Value("name"), inputs.front(), settings);
    if (target.outputName.empty()) {
        host.Say("--name に結合ファイル名がありません");
        return kExitUsage;
    }
    if (!MayJoin(inputs, target, host))
        return kExitFailed;
    TextDocument document;
    // An input gone since the check, or Ctrl+C after the last one, leaves no joined
    // file that lacks it.
    const JoinResult result = JoinIntoFile(
        target.outputPath, inputs.size(),
        [&](size_t i) -> const TextDocument* {
            LoadedText loaded = LoadInputFile(inputs[i], host);
            if (loaded.size == kUnknownFileSize)
                return nullptr;
            document.SetText(std::move(loaded.text));
            return &document;
        },
        [&](size_t i) {
            if (i < inputs.size())
                host.ShowProgress("結合 " + std::to_string(i + 1) + "/" +
                                  std::to_string(inputs.size()) + " " + inputs[i]);
            return !host.AbortKeyPressed();
        });
    if (result.unreadable) {
        host.Say("ファイルを読めません: " + inputs[result.unreadableInput]);
        return kExitFailed;
    }
    if (!result.ok) {
        host.Say(result.cancelled ? "結合を中止しました: " + host.StopCause()
                                  : "結合ファイルを書き込めませんでした。 " + result.error);
        return kExitFailed;
    }
    host.Tell("ファイル結合完了しました。 → " + target.outputPath);
    return kExitCompleted;
}

int RunDouble(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host) {
    const std::string source = CommandLinePath(parsed.operands.front());
    const std::string field = *parsed.Value("axis");
    const char axis = field.size() == 1 ? AxisFromField(field) : 0;
    if (axis == 0) {
        host.Say("--axis は X Y Z I J K U V W のどれか1文字です: " + field);
        return kExitUsage;
    }
    if (!CheckInputFile(source, host))
        return kExitFailed;
    TextDocument document;
    document.SetText(LoadInputFile(source, host).text);
    const std::string name = FileNameOf(source);
    const DoublingOptions options{axis, ParentPath(source), name,
                                  DoubledFileName(name, settings.Mask)};
    const DoublingOutcome outcome = DoubleAxisToFile(document, options, [&](size_t nextLine) {
        host.ShowProgress("変換 " + GroupThousands(int64_t(nextLine)) + "/" +
                          GroupThousands(int64_t(document.LineCount())) + " 行");
        return !host.AbortKeyPressed();
    });
    switch (outcome.status) {
    case DoublingOutcome::Status::Done:
        host.Tell(std::string(1, axis) + "軸を２倍に変換しました。 変換ファイル名は " +
                  options.outputName + "です。");
        return kExitCompleted;
    case DoublingOutcome::Status::NotANumber:
        host.Say(std::to_string(outcome.line + 1) + "行目の" + std::string(1, axis) +
                 "の値が数値ではありません。 " +
                 std::string(document.Line(outcome.line).substr(0, kShownLineBytes)) +
                 " 変換を中止しました。ファイルは作成していません。");
        return kExitFailed;
    case DoublingOutcome::Status::WriteFailed:
        host.Say("変換ファイル " + options.outputName + " を書き込めません。 " + outcome.error);
        return kExitFailed;
    case DoublingOutcome::Status::Cancelled:
        break;
    }
    host.Say("変換を中止しました: " + host.StopCause());
    return kExitFailed;
}
