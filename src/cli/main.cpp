// dravik-cli: the transfers and NC tools of the window from a shell, without a
// display. Everything it does is in the cli units; this is the process entry.
#include "cli/Commands.h"
#include "cli/TerminalHost.h"

#include <clocale>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InstallStopSignals();
    return RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
