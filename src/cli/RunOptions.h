// What the options of one run change: the settings read from Dravik.INI are
// overridden in memory for this run only (the file is never written back), and
// the answers that stand in for the window's questions.
#pragma once

#include "cli/CliArguments.h"

#include <optional>
#include <string>

struct TSettings;

// Which line pair an option of the line belongs to: the send line (Port1,
// Speed1) or the receive line (Port2, Speed2).
enum class LineSide { Send, Receive };

// Applies the setting options of parsed to settings. Returns why a value is
// unusable (bad usage), or an empty text.
std::string ApplySettingOptions(const ParsedCommand& parsed, LineSide side, TSettings& settings);

// The answers and the manner of a run.
struct RunChoices {
    bool yes = false;                     // --yes: every question answered yes
    bool noOverwrite = false;             // --no-overwrite: an existing file is left alone
    bool quiet = false;                   // --quiet: nothing but failures
    int timeoutSeconds = 0;               // --timeout: 0 waits as the window does
    std::optional<std::string> selection; // --select: the port-switch selection
};

// The choices of parsed; on an unusable value *error says why.
RunChoices RunChoicesOf(const ParsedCommand& parsed, std::string* error);
