// Bytes to display text and display columns. NC files, file names and the
// program's own files may be UTF-8 or Shift-JIS (code page 932): valid UTF-8 is
// taken as it is, anything else is decoded as CP932. Column counts follow the
// Shift-JIS byte count: half-width characters 1, full-width ones 2.
#pragma once

#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
std::string Cp932ToUtf8(std::string_view bytes);
// UTF-8 text to CP932; characters without a CP932 form become "?".
std::string Utf8ToCp932(std::string_view utf8);
std::string DecodeToUtf8(std::string_view bytes);
// The bytes for one name shown from original (DecodeToUtf8) and perhaps edited:
// the original when the text is unchanged; the text for a UTF-8 original; else the
// text in CP932, each replacement character that stood for a byte CP932 could not
// decode taking that byte back, so a name in neither encoding keeps its bytes.
std::string NameFromText(std::string_view utf8Text, std::string_view original);

// A path shown as text and typed back. Paths are bytes: each folder name is
// decoded on its own, so a Shift-JIS folder from a Windows share beside UTF-8 ones
// shows right. Text that the operator left as it was goes back byte for byte; an
// edited path keeps the bytes of every name it still holds and encodes a new name
// the way the path's other names were encoded.
std::string PathToText(std::string_view path);
// The bytes for text, a path shown from original and then perhaps edited.
std::string PathFromText(std::string_view utf8Text, std::string_view original);

// Display columns of one code point and of a UTF-8 text.
int CodePointColumns(char32_t cp);
int DisplayColumns(std::string_view utf8);
// The longest prefix of utf8 that fits into columns; a double-width character is never split.
std::string TakeColumns(std::string_view utf8, int columns);
// utf8 followed by blanks up to columns (no cut when it is already wider).
std::string PadColumns(std::string_view utf8, int columns);

// Decodes one code point at pos and advances pos; invalid bytes yield U+FFFD.
char32_t NextCodePoint(std::string_view utf8, size_t& pos);

// The original's ANSI case mapping: only a-z and A-Z change.
inline char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
