#include "transfer/TransferLog.h"

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr std::string_view kHeader = "<<<<<　　　通信ログ　　　>>>>>\n"
                                     "送受信　状態　日時　　　　　　　　　送受信ファイル名\n"
                                     "─────────────────────────────────────\n";

// Creates the log with its header and the text; false when it already exists.
bool CreateWithHeader(const std::filesystem::path& path, std::string_view text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    std::string first(kHeader);
    first += text;
    if (AppendToFile(path, first))
        return true;
    ::unlink(path.c_str()); // no headerless log left behind for the next entry
    return true;
}

thread_local const LogOrigin* tOrigin = nullptr;

} // namespace

void SetThreadLogOrigin(const LogOrigin* origin) {
    tOrigin = origin;
}

std::filesystem::path TransferLogPath() {
    return ProgramFilePath(".log");
}

void AppendLogEntry(std::string_view text) {
    if (tOrigin && tOrigin->echo && !text.empty())
        tOrigin->echo(text);
    const auto path = TransferLogPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && CreateWithHeader(path, text))
        return;
    // Another writer may have created it in between: then this is a plain append.
    AppendToFile(path, text);
}

std::string FormatLogTime(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

std::string MakeLogEntry(std::string_view outcome, std::time_t when, std::string_view path) {
    std::string entry(outcome);
    entry += FormatLogTime(when);
    entry += "　";
    if (tOrigin) {
        entry += "[" + tOrigin->machine + "] ";
        const std::string& staged = tOrigin->stagedIn;
        if (!staged.empty() && path.size() > staged.size() &&
            path.substr(0, staged.size()) == staged && path[staged.size()] == '/') {
            entry += tOrigin->folder;
            path.remove_prefix(staged.size());
        }
    }
    entry += path;
    entry += '\n';
    return entry;
}

bool LoadTransferLogForView(std::string& utf8Text) {
    utf8Text.clear();
    const auto path = TransferLogPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        AppendLogEntry("\n"); // the empty entry: one empty line after the header
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    // Each line decoded on its own: old Shift-JIS lines and new UTF-8 lines mix.
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        size_t stop = end == std::string::npos ? bytes.size() : end;
        std::string_view line(bytes.data() + start, stop - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        utf8Text += DecodeToUtf8(line);
        if (end == std::string::npos)
            break;
        utf8Text += '\n';
        start = end + 1;
    }
    return true;
}
