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

struct JoinResult {
    bool ok = false;
    bool cancelled = false; // the earlier file of the output's name is left as it was
    size_t filesJoined = 0;
    std::string error; // "path: reason"
};

// Joins count inputs into outputPath. load(i) brings input i into the data view and
// returns its lines; started(i), when given, is told before each input and stops
// the join by returning false.
JoinResult JoinIntoFile(const std::filesystem::path& outputPath, size_t count,
                        const std::function<const TextDocument&(size_t index)>& load,
                        const std::function<bool(size_t index)>& started = {});
