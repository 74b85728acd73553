// Starting other programs, the stand-in for CreateProcess and the shell's "open":
// a program is started detached (its own session, never waited for), without a
// shell and with no descriptor of ours inherited. Whether the start worked is known
// at once: the error of the exec comes back to the caller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits an argument text the way a Windows command line is split: blanks and tabs
// separate, double quotes group (and are removed), a backslash escapes a quote.
std::vector<std::string> SplitCommandLine(std::string_view text);

// A name without "/" is looked up on PATH (the first executable file there, "" when
// none); a name with "/" is returned as it is.
std::string ResolveProgram(std::string_view name);
// A regular file with an execute bit that this process may use.
bool IsExecutableFile(const std::string& path);

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts program (a path) with args; 0 when it runs, else the errno of the failure.
    virtual int Start(const std::string& program, const std::vector<std::string>& args) = 0;
};

// The real one: fork, fork again, exec. Tests give it a recording script.
ProcessStarter& SystemProcessStarter();
