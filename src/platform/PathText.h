// A path shown as text and typed back. Paths are bytes: each folder name is
// decoded on its own (UTF-8 as it is, anything else as CP932), so a Shift-JIS
// folder from a Windows share beside UTF-8 ones shows right. Text that the
// operator left as it was goes back byte for byte; an edited path keeps the bytes
// of every name it still holds and encodes a new name the way the path's other
// names were encoded.
#pragma once

#include <string>
#include <string_view>

// The UTF-8 text shown for path.
std::string PathToText(std::string_view path);
// The bytes for text, a path shown from original and then perhaps edited.
std::string PathFromText(std::string_view utf8Text, std::string_view original);
