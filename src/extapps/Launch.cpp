#include "extapps/Launch.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

bool IsFile(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

std::string ReasonText(int error) {
    switch (error) {
    case ENOENT:
        return "ﾌｧｲﾙが見つかりません。";
    case EACCES:
    case EPERM:
        return "実行する権限がありません。";
    case ENOEXEC:
        return "実行できる形式ではありません。";
    case EISDIR:
        return "ﾌｫﾙﾀﾞｰです。";
    default:
        return std::strerror(error);
    }
}

} // namespace

LaunchOutcome StartProgram(ProcessStarter& starter, std::string_view program,
                           const std::vector<std::string>& args) {
    LaunchOutcome outcome{std::string(program), 0};
    std::string resolved = ResolveProgram(program);
    if (resolved.empty() || !IsFile(resolved)) {
        outcome.error = !resolved.empty() && IsFolder(resolved) ? EISDIR : ENOENT;
        return outcome;
    }
    outcome.error = starter.Start(resolved, args);
    return outcome;
}

LaunchOutcome LaunchProgram(ProcessStarter& starter, std::string_view program,
                            std::string_view arguments) {
    if (!arguments.empty()) {
        std::vector<std::string> args = SplitCommandLine(arguments);
        // No program path: the first word of the command line names the program, as
        // CreateProcess takes it without an application name.
        if (program.empty() && !args.empty()) {
            std::string first = std::move(args.front());
            args.erase(args.begin());
            return StartProgram(starter, first, args);
        }
        return StartProgram(starter, program, args);
    }
    std::string path = ResolveProgram(program);
    if (IsExecutableFile(path)) {
        LaunchOutcome outcome = StartProgram(starter, path, {});
        // A text file with an execute bit (common on FAT sticks) is no program: the
        // desktop opens it like any other file.
        if (outcome.error != ENOEXEC)
            return outcome;
    }
    // A link loop or a folder that may not be entered names nothing to open either.
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return {std::string(program), ec ? ec.value() : ENOENT};
    return StartProgram(starter, kDesktopOpener, {path});
}

std::string EditorProgram(std::string_view editApp) {
    std::string editor = ResolveProgram(editApp);
    if (!editApp.empty() && IsFile(editor))
        return editor;
    for (const char* name : kEditorStandIns) {
        std::string found = ResolveProgram(name);
        if (!found.empty())
            return found;
    }
    return kDesktopOpener;
}

LaunchOutcome LaunchEditorOn(ProcessStarter& starter, std::string_view editApp,
                             const std::string& fullPath) {
    return StartProgram(starter, EditorProgram(editApp), {fullPath});
}

std::string LaunchFailureText(const LaunchOutcome& outcome) {
    return "ﾌﾟﾛｸﾞﾗﾑを起動できません。\n" + outcome.program + "\n" + ReasonText(outcome.error);
}
