// The history lists beside the program (Path.lst, FIND.LST, NAME.lst): one entry a
// line, newest first, lines ended by CR LF. Written in UTF-8; read in UTF-8 or, for
// lists written by the Windows build, Shift-JIS. The program keeps at most 20
// entries; a list edited by hand may hold more and is loaded whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

constexpr size_t kHistoryLimit = 20;

// The entries of the list file (UTF-8 text); false when the file does not exist or
// cannot be read, and entries is then left as it was. A list of paths (Path.lst)
// keeps its entries as bytes, since a path is the bytes the file system gave.
enum class HistoryKind { Text, Paths };
bool LoadHistory(const std::filesystem::path& file, std::vector<std::string>& entries,
                 HistoryKind kind = HistoryKind::Text);
// Writes every entry, replacing the file; false with *error naming the file.
bool SaveHistory(const std::filesystem::path& file, const std::vector<std::string>& entries,
                 std::string* error = nullptr);
// text goes to the top; the first later entry equal to it (byte for byte) goes; then
// the list is cut to kHistoryLimit entries.
void UpdateHistory(std::vector<std::string>& entries, const std::string& text);
