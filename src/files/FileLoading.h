// Reading a file for the data view. The whole file is mapped at once; its text ends
// at the first NUL byte, as the view shows it. When that leaves nothing (a NUL
// first, an empty file) or hides text behind a NUL, the window may read the file
// line by line instead, in pieces of at most 499 characters.
#pragma once

#include "files/TextDocument.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The size reported when the file system gives none (the file cannot be opened).
constexpr uint64_t kUnknownFileSize = 4294967295u;

struct ViewFileText {
    uint64_t size = kUnknownFileSize; // as the file system reports it
    DocumentBytes text;               // the bytes before the first NUL
    bool textAfterNul = false;        // a NUL hides bytes other than NUL behind it
};

// Reads a regular file whole (a read-only mapping; a copy where it cannot be mapped). A file that
// cannot be opened, or that is not a regular file (a FIFO would block), gives an unknown size and
// no text.
ViewFileText ReadFileForView(const std::filesystem::path& path);

// Reads the file line by line, the way a text-mode read of 499 characters at a time
// does: CR LF counts as one line feed; a piece ends after a line feed or at 499
// characters; one trailing line feed is dropped. NUL bytes are blank tape and are
// left out. Every piece that is not empty then is handed over, each exactly once.
// False when the file cannot be opened.
bool ReadFileInPieces(const std::filesystem::path& path,
                      const std::function<void(std::string_view piece)>& take,
                      size_t pieceLimit = 499);

// The question asked before a file is read in pieces: its whole read left nothing,
// or a NUL hides part of it, so sending or splitting it as read would lose the rest.
inline constexpr std::string_view kFileFormatQuestion =
    "ファイル形式が違います。\n"
    "そのまま読み込みは可能ですが、データの一部読み込めない可能性が有ります。\n"
    "読み込み開始は「はい(Y)」";

// Whether the whole read of a file calls for the question above.
bool NeedsPieceReading(const ViewFileText& file);

struct LoadedText {
    uint64_t size = kUnknownFileSize; // as the file system reports it
    DocumentBytes text;               // empty for an empty file
    bool inPieces = false;            // read line by line after a "yes"
};

// Reads a file for the data view as the viewer does: whole, or in pieces of at
// most 499 characters, each a line, when NeedsPieceReading and readInPieces()
// agrees. Without agreement the text is what the whole read gave.
LoadedText LoadTextForView(const std::filesystem::path& path,
                           const std::function<bool()>& readInPieces);
