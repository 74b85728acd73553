#include "app/StartArguments.h"

#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <system_error>

namespace fs = std::filesystem;

ArgumentKind ClassifyArgument(const std::string& text) {
    std::error_code ec;
    const fs::path path(text);
    const bool exists = fs::exists(path, ec);
    const bool isDirectory = fs::is_directory(path, ec);
    const std::string upper = AsciiUpper(text);
    const bool absolute = !text.empty() && text.front() == '/';

    if ((isDirectory || !exists) && absolute && upper.find("S=") == std::string::npos &&
        upper.find("R=") == std::string::npos)
        return ArgumentKind::Directory;
    if (absolute && fs::is_regular_file(path, ec))
        return ArgumentKind::FileImport;
    if (upper.find("END") != std::string::npos && text.size() <= 4)
        return ArgumentKind::EndSwitch;
    return ArgumentKind::Ignored;
}

std::vector<std::string> FileArguments(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (ClassifyArgument(arg) == ArgumentKind::FileImport)
            files.push_back(arg);
    }
    return files;
}

void ProcessArgument(const std::string& text, TSettings& settings, StartState& state,
                     const CopyFileFn& copyFile) {
    switch (ClassifyArgument(text)) {
    case ArgumentKind::Directory: {
        std::string dir = text;
        for (char& c : dir) {
            if (c == '|')
                c = ' ';
        }
        settings.DirPath = DropTrailingSeparator(dir);
        return;
    }
    case ArgumentKind::FileImport: {
        const fs::path path(text);
        const fs::path target = fs::path(settings.DirPath) / path.filename();
        // A failed import gives no message; the mask still follows the file.
        if (copyFile)
            copyFile(path, target);
        settings.Mask = "*" + path.extension().string();
        return;
    }
    case ArgumentKind::EndSwitch:
        state.exitAfterTransfer = true;
        return;
    case ArgumentKind::Ignored:
        return;
    }
}

void ProcessArguments(const std::vector<std::string>& args, TSettings& settings, StartState& state,
                      const CopyFileFn& copyFile) {
    if (args.empty()) {
        state.startFlags[0] = state.startFlags[1] = state.startFlags[2] = 'N';
        return;
    }
    state.startFlags[0] = 'Y';
    state.startFlags[1] = state.startFlags[2] = '\0';
    for (const std::string& arg : args)
        ProcessArgument(arg, settings, state, copyFile);
}
