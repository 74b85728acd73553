// Creates a folder with every missing level above it.
#pragma once

#include <string>
#include <string_view>

// Asked before a missing destination folder is created.
inline constexpr std::string_view kMissingDirectoryQuestion =
    "ディレクトリが見つかりません。ディレクトリを作成しますか？";

// True when the folder exists afterwards; otherwise error names the folder and the reason.
bool MakeDirectoryPath(const std::string& path, std::string* error = nullptr);
