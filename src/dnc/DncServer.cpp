#include "dnc/DncServer.h"

#include "dnc/ControlSocket.h"
#include "dnc/MachineTable.h"
#include "dnc/MachineWorker.h"
#include "platform/FileRead.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCodec.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <list>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What decides how a machine is served: two entries alike need no new line.
std::string Fingerprint(const Machine& machine) {
    IniFile ini;
    SaveSettings(machine.settings, ini);
    return ini.Serialize() + machine.port + (machine.autoReceive ? "Y" : "N") +
           (machine.request ? "Y" : "N") + machine.requestProgram + "/" +
           std::to_string(machine.requestDelaySeconds);
}

class Server {
public:
    Server(const ServeOptions& options, const TSettings& base) : options_(options), base_(base) {}
    ~Server() { Stop(); }

    int Run();

private:
    bool Load(bool first);
    void Stop();
    void Serve(int client);
    std::string Answer(const std::vector<std::string>& request);
    MachineWorker* Find(const std::string& name);
    void Reap();

    const ServeOptions& options_;
    const TSettings& base_;
    std::atomic<bool> stopping_{false};
    int stopPipe_[2] = {-1, -1};
    int signals_ = -1;
    int listen_ = -1;
    std::list<std::unique_ptr<MachineWorker>> workers_;
    std::list<std::unique_ptr<MachineWorker>> retired_;
};

int Server::Run() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    // Blocked before any worker starts, so that every thread leaves them to signalfd.
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signals_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    if (signals_ < 0 || ::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        options_.say("シグナルを受けられません");
        return 1;
    }
    std::string error;
    listen_ = ListenControlSocket(options_.socketPath, &error);
    if (listen_ < 0) {
        options_.say(error);
        return 1;
    }
    if (!Load(true))
        return 1;
    options_.say("serve: " + std::to_string(workers_.size()) + " 台を待ち受けます (" +
                 options_.socketPath + ")");
    for (;;) {
        pollfd fds[2] = {{signals_, POLLIN, 0}, {listen_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signals_, &info, sizeof info) != sizeof info)
                continue;
            if (info.ssi_signo == SIGHUP) {
                options_.say("serve: " + options_.machinesPath.string() + " を読み直します");
                Load(false);
                continue;
            }
            break;
        }
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                Serve(client);
                ::close(client);
            }
        }
        Reap();
    }
    options_.say("serve: 停止します");
    Stop();
    options_.say("serve: 停止しました");
    return 0;
}

bool Server::Load(bool first) {
    std::string bytes, error;
    if (!ReadWholeFile(options_.machinesPath, bytes, &error)) {
        options_.say("Machines.ini を読めません: " + options_.machinesPath.string() +
                     (error.empty() ? "" : " (" + error + ")"));
        return !first;
    }
    MachineTable table = ReadMachineTable(bytes, base_,
                                          options_.machinesPath.parent_path().empty()
                                              ? ProgramFolder()
                                              : options_.machinesPath.parent_path());
    for (const std::string& problem : table.problems)
        options_.say(problem + " (このマシンは使いません)");
    const ServerLink link{&stopping_, stopPipe_[0], options_.say};
    std::list<std::unique_ptr<MachineWorker>> next;
    for (Machine& machine : table.machines) {
        auto found = std::find_if(workers_.begin(), workers_.end(),
                                  [&](const auto& w) { return w->Name() == machine.name; });
        if (found == workers_.end()) {
            next.push_back(std::make_unique<MachineWorker>(std::move(machine), link));
            next.back()->Start();
            continue;
        }
        if (Fingerprint((*found)->Config()) != Fingerprint(machine))
            (*found)->Reconfigure(std::move(machine));
        next.push_back(std::move(*found));
        workers_.erase(found);
    }
    // Machines no longer in the table end after what they are doing.
    for (auto& gone : workers_) {
        gone->Retire();
        retired_.push_back(std::move(gone));
    }
    workers_ = std::move(next);
    return true;
}

void Server::Reap() {
    retired_.remove_if([](const auto& worker) { return worker->Finished(); });
}

void Server::Stop() {
    if (stopping_.exchange(true))
        return;
    if (stopPipe_[1] >= 0) [[maybe_unused]]
        ssize_t n = ::write(stopPipe_[1], "x", 1);
    // Each worker takes its job's own stop path; the destructors wait for them.
    workers_.clear();
    retired_.clear();
    if (listen_ >= 0) {
        ::close(listen_);
        ::unlink(options_.socketPath.c_str());
    }
    for (int fd : {stopPipe_[0], stopPipe_[1], signals_})
        if (fd >= 0)
            ::close(fd);
    listen_ = signals_ = stopPipe_[0] = stopPipe_[1] = -1;
}

MachineWorker* Server::Find(const std::string& name) {
    for (auto& worker : workers_)
        if (AsciiUpper(worker->Name()) == AsciiUpper(name))
            return worker.get();
    return nullptr;
}

void Server::Serve(int client) {
    std::string line;
    if (!ReadRequestLine(client, line))
        return;
    WriteAll(client, Answer(SplitRequest(line)));
}

std::string Server::Answer(const std::vector<std::string>& request) {
    const std::string& verb = request[0];
    if (verb == "status") {
        std::string answer;
        for (const auto& worker : workers_)
            answer += EncodeStatus(worker->Status()) + "\n";
        return answer;
    }
    if ((verb == "queue" || verb == "clear") && request.size() >= 2) {
        MachineWorker* worker = Find(request[1]);
        if (!worker)
            return "error\tそのマシンはありません: " + request[1] + "\n";
        if (verb == "clear")
            return "ok\t" + std::to_string(worker->ClearQueue()) + "\n";
        const std::vector<std::string> files(request.begin() + 2, request.end());
        if (files.empty())
            return "error\tファイルがありません\n";
        const std::string error = worker->Queue(files);
        if (!error.empty())
            return "error\t" + error + "\n";
        return "ok\t" + std::to_string(files.size()) + "\n";
    }
    return "error\t分からない要求です\n";
}

} // namespace

int RunServer(const ServeOptions& options, const TSettings& base) {
    Server server(options, base);
    return server.Run();
}
