// Copying or moving a set of files and folders into a folder, as the copy and move
// commands and drag and drop do it: a question before each existing file is
// replaced, progress as it goes, a move within one file system as a rename, and
// every failure noted with the file it concerns. Nothing here asks or shows
// anything itself: the window answers through the hooks.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class ReplaceAnswer { Yes, YesToAll, No, Cancel };

struct TransferHooks {
    // Asked before an existing file is replaced; unset means Yes.
    std::function<ReplaceAnswer(const std::filesystem::path& existing)> askReplace;
    // Told before each file; returning false cancels. total counts the files below
    // the sources, so a folder shows its progress file by file.
    std::function<bool(size_t done, size_t total, const std::filesystem::path& current)> progress;
};

struct TransferOutcome {
    bool cancelled = false;
    size_t done = 0;                   // files and folders copied or moved
    std::vector<std::string> failures; // "path: reason", one per failed file
};

// The ";"-separated source list of the copy and move commands, empty parts dropped.
std::vector<std::string> SplitSourceList(std::string_view list);

// Copies (copy true) or moves every source into destDir, under its own name.
TransferOutcome TransferPaths(const std::vector<std::string>& sources,
                              const std::filesystem::path& destDir, bool copy,
                              const TransferHooks& hooks);
