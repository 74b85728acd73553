// The command line Edit1 without the window: which characters each mode refuses
// (and the box text that says so), the copy-under-a-new-name path of mode "4", the
// directory of mode "5" and the mask of mode "6".
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of the refusal box when mode refuses the character c (a code point),
// else nothing. Backspace always passes; modes other than "2", "4", "5" and "6"
// refuse nothing. Mode "5" takes a folder, where "/" is the separator and "\"
// takes its place among the refused characters.
std::optional<std::string> RefusedCharacterText(std::string_view mode, bool allFiles, char32_t c);

// Mode "4": the path of the copy, typed name in the working directory, with the
// mask's extension appended unless every file is listed.
std::string CopyTargetPath(std::string_view dirPath, std::string_view typed, bool allFiles,
                           std::string_view mask);

// Mode "6": the new mask for the typed text, or nothing when the text names no
// extension ("*.*", ".*", "*." or "*").
std::optional<std::string> MaskFromTyped(std::string_view typed);
// The message for a refused mask.
std::string RefusedMaskText(std::string_view typed);
