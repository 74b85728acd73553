// Command-line arguments of the program: a working directory, a file to import
// into it, or "END" (close after the next transfer). Arguments are taken one by
// one; one that fits no rule is ignored without a message.
#pragma once

#include "settings/Settings.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct StartState {
    // "N","N","N" without arguments; with arguments the first is "Y", the others unset.
    char startFlags[3] = {'N', 'N', 'N'};
    bool exitAfterTransfer = false;
};

// Copies a file; false when it could not. Never empties a file copied onto itself.
using CopyFileFn =
    std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)>;

// What the rules make of one argument, first rule that applies.
enum class ArgumentKind { Directory, FileImport, EndSwitch, Ignored };
ArgumentKind ClassifyArgument(const std::string& text);
// The arguments that name files to import, in order: what a second start hands to
// the running copy.
std::vector<std::string> FileArguments(const std::vector<std::string>& args);

void ProcessArgument(const std::string& text, TSettings& settings, StartState& state,
                     const CopyFileFn& copyFile);
void ProcessArguments(const std::vector<std::string>& args, TSettings& settings, StartState& state,
                      const CopyFileFn& copyFile);
