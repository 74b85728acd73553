// The one file copy of the program (file import, drag and drop, copy/move, the
// command line's copy). It never destroys its source: a copy onto the same file
// (another spelling, a link) leaves it as it is, and the destination is written
// to a temporary name first, so a failed copy leaves no half file behind.
#pragma once

#include <filesystem>
#include <string>

// Copies a regular file with its modification time and permissions; an existing
// destination is replaced. False with a reason naming the file on failure.
bool CopyFileSafely(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::string* error = nullptr);
