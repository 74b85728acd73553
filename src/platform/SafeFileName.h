// File names taken from data (a program name in a received line or in a file)
// made safe before use: the name never leaves its folder and stays usable on a
// FAT memory stick and on the original system.
#pragma once

#include <string>
#include <string_view>

// The longest name SafeFileName returns, in bytes: room is left for a number
// and an extension within the 255 that file systems allow.
inline constexpr size_t kSafeNameMaxBytes = 200;

// "/", NUL, control characters and \ : * ? " < > | become "_"; trailing dots and
// blanks (which the original system strips) become "_"; "", "." and ".." become
// underscores; a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an
// extension) gets "_" after its base; a name longer than kSafeNameMaxBytes is cut
// without splitting a character.
std::string SafeFileName(std::string_view name);
