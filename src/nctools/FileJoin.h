// The join: marked NC files written one after another into one new file, each
// line followed by CR LF, nothing between two inputs. The joined file is written
// whole in large blocks and replaces its target only when complete, so a failure
// leaves no half-written file and an earlier file of that name as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TextDocument;

// The typed name as it is when the default extension occurs anywhere in it (letter
// case counts: "all.nc" does not hold ".NC"), else the name with the extension.
std::string JoinOutputName(std::string_view typed, std::string_view extension);

// The path of the joined file: a "\" in the name separates folders, as on the
// system the operators know, so "SUB\ALL" lands in the subfolder SUB.
std::string JoinOutputPath(std::string_view dirPath, std::string_view outputName);

// True when the output would replace one of the inputs: the same name, or another
// spelling of the same file on disk (a "\" path back into the working directory).
bool JoinOutputIsInput(std::string_view dirPath, std::string_view outputName,
                       const std::vector<std::string>& inputs);

// The first of paths that the join cannot read (gone, unreadable or no regular file
// since it was marked), or paths.size() when every one can be read. A join with
// such an input is refused before anything is asked or written.
size_t FirstUnreadableInput(const std::vector<std::string>& paths);

struct JoinResult {
    bool ok = false;
    bool cancelled = false; // the earlier file of the output's name is left as it was
    // An input could not be read when its turn came: nothing is written, the earlier
    // file of the output's name is left as it was.
    bool unreadable = false;
    size_t unreadableInput = 0;
    size_t filesJoined = 0;
    std::string error; // "path: reason"
};

// Joins count inputs into outputPath. load(i) brings input i into the data view and
// returns its lines, or nullptr when it cannot be read, which ends the join.
// started(i), when given, is told before each input and, with i == count, before
// the joined file replaces its target; returning false stops the join.
JoinResult JoinIntoFile(const std::filesystem::path& outputPath, size_t count,
                        const std::function<const TextDocument*(size_t index)>& load,
                        const std::function<bool(size_t index)>& started = {});
