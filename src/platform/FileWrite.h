// Whole-file writes of the program's own files (settings, history lists, log).
// A write goes to a temporary file beside the target and is renamed over it, so a
// failed write never leaves a half-written settings file. Tests replace the
// system calls through the hook to inject EACCES, EROFS or ENOSPC.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);
bool AppendToFile(const std::filesystem::path& path, std::string_view bytes,
                  std::string* error = nullptr);

// Test seam: when set, called before each write; a non-zero errno fails the write.
using FileWriteFault = std::function<int(const std::filesystem::path&)>;
void SetFileWriteFaultForTest(FileWriteFault fault);
