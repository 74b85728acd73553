#include "nctools/FileJoin.h"

#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "platform/Paths.h"

#include <algorithm>
#include <system_error>

std::string JoinOutputName(std::string_view typed, std::string_view extension) {
    std::string name(typed);
    if (extension.empty() || typed.find(extension) == std::string_view::npos)
        name += extension;
    return name;
}

std::string JoinOutputPath(std::string_view dirPath, std::string_view outputName) {
    std::string name(outputName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return JoinPath(dirPath, name);
}

bool JoinOutputIsInput(std::string_view dirPath, std::string_view outputName,
                       const std::vector<std::string>& inputs) {
    const std::filesystem::path output = JoinOutputPath(dirPath, outputName);
    for (const std::string& input : inputs) {
        if (input == outputName)
            return true;
        std::error_code ec;
        if (std::filesystem::equivalent(output, JoinPath(dirPath, input), ec))
            return true;
    }
    return false;
}

size_t FirstUnreadableInput(const std::vector<std::string>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
        if (ReadFileForView(paths[i]).size == kUnknownFileSize)
            return i;
    }
    return paths.size();
}

JoinResult JoinIntoFile(const std::filesystem::path& outputPath, size_t count,
                        const std::function<const TextDocument*(size_t index)>& load,
                        const std::function<bool(size_t index)>& started) {
    JoinResult result;
    WholeFileWriter writer;
    if (!writer.Open(outputPath)) {
        result.error = writer.Error();
        return result;
    }
    for (size_t i = 0; i < count; ++i) {
        if (started && !started(i)) {
            result.cancelled = true;
            return result;
        }
        // A joined file that lacks one of its inputs would be sent as if whole.
        const TextDocument* lines = load(i);
        if (!lines) {
            result.unreadable = true;
            result.unreadableInput = i;
            return result;
        }
        for (size_t line = 0; line < lines->LineCount(); ++line) {
            if (!writer.Append(lines->Line(line)) || !writer.Append("\r\n")) {
                result.error = writer.Error();
                return result;
            }
        }
        ++result.filesJoined;
    }
    if (started && !started(count)) {
        result.cancelled = true;
        return result;
    }
    result.ok = writer.Commit(true);
    result.error = writer.Error();
    return result;
}
