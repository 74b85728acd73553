// The checks and loads that every command does with the files it is given.
#include "cli/Commands.h"
#include "cli/TerminalHost.h"

#include <filesystem>

bool CheckInputFile(const std::string& path, TerminalHost& host) {
    const ViewFileText file = ReadFileForView(path);
    if (file.size == kUnknownFileSize) {
        host.Say("ファイルを読めません: " + path);
        return false;
    }
    if (NeedsPieceReading(file) && !host.Yes()) {
        host.Refuse(std::string(kFileFormatQuestion) + " " + path, "--yes");
        return false;
    }
    return true;
}

LoadedText LoadInputFile(const std::string& path, TerminalHost& host) {
    return LoadTextForView(path, [&host] { return host.Yes(); });
}

bool MayReplace(const std::string& path, TerminalHost& host) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    const std::string question = "すでに" + path + "が有ります。\n上書きしますか？";
    if (host.Choices().noOverwrite) {
        host.Say(OneLine(question) + " → いいえ (--no-overwrite)");
        return false;
    }
    if (!host.Yes()) {
        host.Refuse(question, "--yes");
        return false;
    }
    host.Tell(OneLine(question) + " → はい (--yes)");
    return true;
}
