// Paths the operator types and the one move routine. Copies go through the program's
// one file copy (files/FileCopy.h); a move within one file system is a rename, and
// across file systems a copy whose source goes only once the copy is complete. Neither
// ever loses a file that is moved or copied onto itself.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

enum class MoveStatus { Moved, SameFile, Failed };
// Moves a file, or a folder within one file system, replacing an existing file.
// SameFile (nothing done) when both name one file; false-free: *error names the
// file on failure.
MoveStatus MoveOnePath(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string* error = nullptr);

// Test seam: called before a file is copied, moved or a folder created by the file
// operations; a non-zero errno fails that step as the system would.
using FileOpsFault = std::function<int(const std::filesystem::path& target)>;
void SetFileOpsFaultForTest(FileOpsFault fault);
int FileOpsFaultFor(const std::filesystem::path& target);
