// The split by O-number: the lines of the data view cut into one file per program,
// each named after its program line, in a destination folder. A program line is
// any line whose first character is "O", ":" or "L", tested untrimmed; lines that begin with "%"
// are dropped; the lines before the first program go to the head of its file.
//
// Every file is written whole in large blocks and appears only when complete, so a
// failure (no permission, disk full, a name the file system refuses) stops the run
// with a message naming the file and leaves the files already written intact.
#pragma once

#include "nctools/SplitOptions.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TextDocument;

// How often the run reports the lines it has done.
inline constexpr size_t kSplitProgressLines = 4096;

struct SplitCallbacks {
    // A program line was found; index counts the programs from 0.
    std::function<void(std::string_view programLine, int index)> programFound;
    // The number of source lines done, every kSplitProgressLines lines and at the end.
    std::function<void(size_t linesDone)> progress;
    // Asked with each progress report; true stops the run after the last whole file.
    std::function<bool()> cancelled;
};

enum class SplitStatus { Done, NoPrograms, WriteFailed, Cancelled };

struct SplitResult {
    SplitStatus status = SplitStatus::NoPrograms;
    int programs = 0;
    std::vector<std::string> files; // names written, in program order
    std::string error;              // "path: reason" when a write failed
};

// The file name of the program count-th program (from 0): the program line before
// its first "(" (untrimmed, ":" turned into "O"), "_" and count + 1 in at least three
// digits when serial, then the extension; made safe for a file name, so that no
// name leaves the destination folder.
std::string SplitFileName(std::string_view programLine, int count, bool serial,
                          std::string_view extension);

// Splits source into destDir (which must exist). sourceFile, when given, is the file
// the lines were read from: a program whose name would replace it gets the next
// free variant instead, so that the split never destroys what it splits.
SplitResult SplitByProgram(const TextDocument& source, const std::filesystem::path& destDir,
                           const SplitOptions& options, std::string_view extension,
                           const SplitCallbacks& callbacks = {},
                           const std::filesystem::path& sourceFile = {});
