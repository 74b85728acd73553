// DirectoryScan: reads one folder for the file list. The search pattern is a folder
// and a name wildcard ("*" and "?", letters matched without regard to case, as the
// file systems the NC shops use do; "*.*" and "*" match every name).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

struct ScannedEntry {
    std::string name;
    bool isFolder = false;
    std::uint64_t size = 0;
    std::time_t modified = 0;
};

// True when name matches the wildcard (no folder part).
bool MatchesWildcard(std::string_view name, std::string_view wildcard);

// MatchesWildcard, and for a name or wildcard that is not UTF-8 (Shift-JIS) the same
// on the texts they show: a Japanese text finds its name in either encoding.
bool NameMatches(std::string_view name, std::string_view wildcard);

// Splits a search pattern into its folder and its wildcard ("/a/b/*.NC" gives
// "/a/b" and "*.NC"; "/*.*" gives "/" and "*.*").
void SplitSearchPattern(std::string_view pattern, std::string& folder, std::string& wildcard);

// Calls each entry of folder that matches wildcard (NameMatches), "." and ".." left out, in the
// order of the enumeration. Returns false when the folder cannot be read or not one
// name (counting "." and "..") matches: the empty listing. An entry that vanished
// before it could be examined is left out. progress is called every 1024 entries.
bool ScanDirectory(const std::string& folder, std::string_view wildcard,
                   const std::function<void(ScannedEntry&&)>& onEntry,
                   const std::function<void()>& progress = {});

// Test seam: when set, opening a folder for the scan fails with this errno.
extern int g_scanOpenFault;
