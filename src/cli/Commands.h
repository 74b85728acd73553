// The commands of dravik-cli and what they share. Each runs the window's own job
// or tool on the run's settings through a TerminalHost and returns the exit code.
#pragma once

#include "cli/CliArguments.h"
#include "files/FileLoading.h"

#include <string>
#include <vector>

class TerminalHost;
struct TSettings;

enum ExitCode { kExitCompleted = 0, kExitFailed = 1, kExitUsage = 2 };

// The commands, their operands and options: the usage text is made from them.
const std::vector<CommandSpec>& CliCommands();
// The whole run of one command line (args without the program name).
int RunCli(const std::vector<std::string>& args);

int RunSend(const ParsedCommand& parsed, TSettings& settings, TerminalHost& host);
int RunReceive(const ParsedCommand& parsed, TSettings& settings, TerminalHost& host);
int RunSplit(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host);
int RunJoin(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host);
int RunDouble(const ParsedCommand& parsed, const TSettings& settings, TerminalHost& host);
// The server of many machines and its two clients.
int RunServe(const ParsedCommand& parsed, const TSettings& settings);
int RunQueue(const ParsedCommand& parsed, TerminalHost& host);
int RunStatus(const ParsedCommand& parsed, TerminalHost& host);
// RunPorts lives in cli/PortsCommand.h.

// A path typed on the command line, taken from the current folder as every shell
// command takes it: absolute, "." and ".." resolved, no trailing separator.
std::string CommandLinePath(const std::string& typed);
// The deepest folder that holds every one of paths (absolute, as above).
std::string CommonFolder(const std::vector<std::string>& paths);
// path relative to folder, which holds it (CommonFolder).
std::string RelativeTo(const std::string& path, const std::string& folder);

// Checks that path can be read as an NC file before anything starts; false
// after one line that says why. The window's format question is answered by --yes.
bool CheckInputFile(const std::string& path, TerminalHost& host);
// The file's text as the window loads it into the data view; the format
// question is answered by --yes.
LoadedText LoadInputFile(const std::string& path, TerminalHost& host);
// "すでに PATH が有ります。上書きしますか？" with --yes and --no-overwrite: true
// when the file may be written.
bool MayReplace(const std::string& path, TerminalHost& host);
