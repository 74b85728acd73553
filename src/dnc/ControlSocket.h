// The control socket of a running server: `dravik-cli queue` and `dravik-cli
// status` talk to it. One request line per connection, answered by lines and
// the close. The socket lies in the runtime folder, readable and writable only
// by the server's user and group.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The runtime folder: $RUNTIME_DIRECTORY (systemd), else $XDG_RUNTIME_DIR, else /tmp.
std::string RuntimeFolder();
// The socket of the server in folder.
std::string ControlSocketPath(const std::string& folder);
// The folder the installed service keeps it in (RuntimeDirectory=dravik), where a
// client looks when the runtime folder of its own has none.
inline constexpr std::string_view kServiceRuntimeFolder = "/run/dravik";

// Requests, one line each: "status", "queue\tMACHINE\tFILE...", "clear\tMACHINE".
std::string StatusRequest();
std::string QueueRequest(const std::string& machine, const std::vector<std::string>& files);
std::string ClearRequest(const std::string& machine);
// A request line split at its tabs (the line end taken off).
std::vector<std::string> SplitRequest(std::string_view line);

// A listening socket at path (a stale one from a server that died is replaced;
// a live one is not). -1 with *error on failure.
int ListenControlSocket(const std::string& path, std::string* error);
// Connects, sends request, returns the whole answer. False with *error when no
// server answers at path.
bool AskServer(const std::string& path, const std::string& request, std::string& answer,
               std::string* error);
// Reads one request line from a client (at most a second, at most 64 KB).
bool ReadRequestLine(int fd, std::string& line);
void WriteAll(int fd, std::string_view bytes);
