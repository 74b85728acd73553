// The transfer log Dravik.log beside the program: one line per sent or received
// file, appended and never rewritten. Lines end in a line feed alone; entries are
// written in UTF-8, and a log written by the Windows build (Shift-JIS) is still
// shown readably because the view decodes each line on its own.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// Dravik.log in the program folder.
std::filesystem::path TransferLogPath();

// Appends text (a complete entry with its line feed, or empty) to the log. A new
// file first gets the three header lines. Failures are silent: the entry is lost.
void AppendLogEntry(std::string_view text);

// Outcome texts of the entries.
inline constexpr std::string_view kLogSendCompleted = "送信　　完了　";
inline constexpr std::string_view kLogSendStopped = "送信　　中止　";
inline constexpr std::string_view kLogReceiveCompleted = "受信　　完了　";
inline constexpr std::string_view kLogReceiveStopped = "受信　　中止　";

// Where the entries of one thread come from, when a server runs many lines at
// once: each entry names the machine before its path, a path under stagedIn is
// named as under folder (where the file ends up), and echo sees every entry.
struct LogOrigin {
    std::string machine;
    std::string stagedIn;
    std::string folder;
    std::function<void(std::string_view entry)> echo;
};
// Sets (or with nullptr clears) the origin of the calling thread's entries.
void SetThreadLogOrigin(const LogOrigin* origin);

// "yyyy/mm/dd hh:mm:ss" of a local time.
std::string FormatLogTime(std::time_t when);
// outcome + time + "　" + path + line feed.
std::string MakeLogEntry(std::string_view outcome, std::time_t when, std::string_view path);

// For the log view: creates the log with its header and an empty entry when it
// does not exist yet, then returns its text decoded line by line to UTF-8.
// Returns false (and empty text) when the log can be neither read nor created.
bool LoadTransferLogForView(std::string& utf8Text);
