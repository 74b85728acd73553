// The command line Edit1 without the window: which characters each mode refuses
// (and the box text that says so), the copy-under-a-new-name path, the directory
// and the mask that Enter takes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What Enter in Edit1 does: receive one file under the typed name, copy under a new
// name, change the working directory, change the mask. None while no command asks.
enum class Edit1Mode { None, NamedReceive, CopyAs, Directory, Mask };

// The text of the refusal box when mode refuses the character c (a code point),
// else nothing. Backspace always passes; None refuses nothing. Directory takes a
// folder, where "/" is the separator and "\" takes its place among the refused
// characters.
std::optional<std::string> RefusedCharacterText(Edit1Mode mode, bool allFiles, char32_t c);

// CopyAs: the path of the copy, typed name in the working directory, with the
// mask's extension appended unless every file is listed.
std::string CopyTargetPath(std::string_view dirPath, std::string_view typed, bool allFiles,
                           std::string_view mask);

// Mask: the new mask for the typed text, or nothing when the text names no
// extension ("*.*", ".*", "*." or "*").
std::optional<std::string> MaskFromTyped(std::string_view typed);
// The message for a refused mask.
std::string RefusedMaskText(std::string_view typed);
