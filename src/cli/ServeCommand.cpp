// dravik-cli serve, queue and status: the server of many machines and the two
// commands that talk to it through its control socket.
#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "dnc/ControlSocket.h"
#include "dnc/DncServer.h"
#include "dnc/MachineStatus.h"
#include "dnc/MachineTable.h"
#include "platform/TextCodec.h"

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace {

void WriteErrorLine(std::string_view text) {
    // Workers speak at once: each line is written whole.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::string line = "dravik-cli: " + std::string(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The socket a client talks to: --socket, else the runtime folder's, else the
// installed service's.
std::string ClientSocketPath(const ParsedCommand& parsed) {
    if (auto socket = parsed.Value("socket"))
        return *socket;
    const std::string own = ControlSocketPath(RuntimeFolder());
    std::error_code ec;
    const std::string service = ControlSocketPath(std::string(kServiceRuntimeFolder));
    if (!std::filesystem::exists(own, ec) && std::filesystem::exists(service, ec))
        return service;
    return own;
}

bool Ask(const ParsedCommand& parsed, const std::string& request, std::string& answer,
         TerminalHost& host) {
    std::string error;
    if (AskServer(ClientSocketPath(parsed), request, answer, &error))
        return true;
    host.Say("サーバーに繋がりません (dravik-cli serve が動いていますか): " + error);
    return false;
}

// "ok\tN" (N files queued or taken off) or "error\tTEXT": the exit code, with the text said.
int Reply(const std::string& answer, TerminalHost& host, const std::string& done) {
    const std::vector<std::string> fields = SplitRequest(answer);
    if (fields.size() == 2 && fields[0] == "ok") {
        host.Tell(done + " (" + fields[1] + " 件)");
        return kExitCompleted;
    }
    host.Say(fields.size() >= 2 ? fields[1] : "サーバーの答えが分かりません");
    return kExitFailed;
}

std::string Padded(const std::string& text, size_t columns) {
    const size_t width = size_t(DisplayColumns(text));
    return width >= columns ? text + " " : text + std::string(columns - width, ' ');
}

} // namespace

int RunServe(const ParsedCommand& parsed, const TSettings& settings) {
    ServeOptions options;
    options.machinesPath = parsed.Value("machines") ? CommandLinePath(*parsed.Value("machines"))
                                                    : MachinesPath().string();
    options.socketPath =
        parsed.Value("socket") ? *parsed.Value("socket") : ControlSocketPath(RuntimeFolder());
    options.say = WriteErrorLine;
    return RunServer(options, settings);
}

int RunQueue(const ParsedCommand& parsed, TerminalHost& host) {
    const std::string& machine = parsed.operands.front();
    std::string answer;
    if (parsed.Has("clear")) {
        if (parsed.operands.size() > 1) {
            host.Say("--clear にファイルは付けません");
            return kExitUsage;
        }
        if (!Ask(parsed, ClearRequest(machine), answer, host))
            return kExitFailed;
        return Reply(answer, host, machine + " の待ちを空にしました");
    }
    if (parsed.operands.size() < 2) {
        host.Say("送るファイルがありません");
        return kExitUsage;
    }
    // A name alone is the machine's program; a path is taken from here.
    std::vector<std::string> files;
    for (size_t i = 1; i < parsed.operands.size(); ++i) {
        const std::string& file = parsed.operands[i];
        files.push_back(file.find('/') == std::string::npos ? file : CommandLinePath(file));
    }
    if (!Ask(parsed, QueueRequest(machine, files), answer, host))
        return kExitFailed;
    return Reply(answer, host, machine + " の待ちに入れました");
}

int RunStatus(const ParsedCommand& parsed, TerminalHost& host) {
    std::string answer;
    if (!Ask(parsed, StatusRequest(), answer, host))
        return kExitFailed;
    std::vector<MachineStatus> machines;
    size_t start = 0;
    while (start < answer.size()) {
        const size_t end = answer.find('\n', start);
        MachineStatus status;
        if (DecodeStatus(std::string_view(answer).substr(start, end - start), status))
            machines.push_back(status);
        start = end == std::string::npos ? answer.size() : end + 1;
    }
    size_t nameWidth = 4;
    for (const MachineStatus& status : machines)
        nameWidth = std::max(nameWidth, status.name.size());
    bool down = false;
    std::string out;
    for (const MachineStatus& status : machines) {
        down = down || status.state == MachineState::Down;
        out += Padded(status.name, nameWidth + 1) +
               Padded(std::string(StateName(status.state)), 10) +
               Padded(DescribeActivity(status), 36) + "待ち " + std::to_string(status.queued) +
               "  前回 " + (status.last.empty() ? std::string("-") : status.last) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return down ? kExitFailed : kExitCompleted;
}
