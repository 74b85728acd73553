// Creates a folder with every missing level above it.
#pragma once

#include <string>

// True when the folder exists afterwards; otherwise error names the folder and the reason.
bool MakeDirectoryPath(const std::string& path, std::string* error = nullptr);
