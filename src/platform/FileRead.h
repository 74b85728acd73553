// Whole-file reads of the program's own files (settings, history lists, log). Only
// a regular file is read: a folder, a FIFO or a file that cannot be read gives
// false with the reason, never an exception, so no such file can end the program.
#pragma once

#include <filesystem>
#include <string>

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::string* error = nullptr);
