// The server of many machines: every machine of Machines.ini served at once by
// a worker of its own until SIGTERM or SIGINT; SIGHUP reads the table again
// without dropping a running transfer; the control socket answers queue and
// status requests.
#pragma once

#include "settings/Settings.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

struct ServeOptions {
    std::filesystem::path machinesPath;             // Machines.ini
    std::string socketPath;                         // the control socket
    std::function<void(std::string_view line)> say; // one line on standard error
};

// Serves until a stop signal; 0 after a clean stop, 1 when it cannot start.
int RunServer(const ServeOptions& options, const TSettings& base);
