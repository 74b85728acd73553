// The rename kinds of the file list: the name as typed, or its half-width letters in
// upper case, in lower case, or the first character in upper case and the rest in
// lower case. Only a-z and A-Z change (the original's ANSI mapping): full-width
// letters and kana stay as they are, also inside a Shift-JIS name.
#pragma once

#include <string>
#include <string_view>

enum class RenameKind { AsTyped = 1, Upper = 2, Lower = 3, Capitalised = 4, OneByOne = 5 };

// The name (bytes, UTF-8 or Shift-JIS) converted by kinds 2 to 4; other kinds give
// it unchanged.
std::string ConvertName(RenameKind kind, std::string_view name);

// The name a rename may use: not empty, not "." or "..", and free of "/" and NUL,
// which no file name can hold here.
bool IsUsableName(std::string_view name);
