// One machine of the server: a thread that holds the machine's line open and
// blocks on it, receives whatever the controller punches into the machine's
// folder, answers remote requests and sends the queued files, each through the
// window's own send and receive jobs. Its line failing takes this machine down
// (retried every 10 s); no other machine notices.
#pragma once

#include "dnc/HeldPort.h"
#include "dnc/MachineStatus.h"
#include "dnc/MachineTable.h"
#include "transfer/TransferLog.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// How long a down line waits before the next try.
inline constexpr int kDownRetryMs = 10000;
// A reception reads its line in runs gathered this long: 48 characters at 4800
// baud, 1,150 at 115,200 (the driver holds 4,096). Reading each character as it
// comes would wake 128 lines 60,000 times a second.
inline constexpr int kReceiveGatherMs = 100;
// The folder inside the machine's folder that a reception is written to first.
inline constexpr std::string_view kStagingFolder = ".receiving";

// The server's side of every worker: the stop that all share and the lines said.
struct ServerLink {
    const std::atomic<bool>* stopping = nullptr;
    int stopFd = -1; // readable once the server stops
    std::function<void(std::string_view line)> say;
};

class MachineWorker {
public:
    MachineWorker(Machine machine, ServerLink link);
    ~MachineWorker(); // waits for the thread
    MachineWorker(const MachineWorker&) = delete;
    MachineWorker& operator=(const MachineWorker&) = delete;

    void Start();
    const std::string& Name() const { return name_; }

    // Files for the controller, sent in order when it starts each; a plain name
    // is looked up in the machine's folder. Empty, or why nothing was queued.
    std::string Queue(const std::vector<std::string>& files);
    // Empties the queue, and a queued file still waiting for its start is not
    // sent. The number of files taken off.
    size_t ClearQueue();
    MachineStatus Status() const;

    // New settings, taken between two transfers: a running one is never dropped.
    void Reconfigure(Machine machine);
    // Ends the worker once its transfer (if any) is over.
    void Retire();
    bool Finished() const { return finished_; }
    // The table entry the worker runs on now or next.
    Machine Config() const;

private:
    struct Outgoing {
        std::string path;      // the file; empty for a reply program
        std::string name;      // as sent and logged
        std::string replyText; // the reply program's text
        bool queued = false;   // from the queue: the controller starts it
    };
    struct Request {
        std::optional<std::string> program;
        std::string comment;
    };
    class Host;
    class ReceiveView;
    class SendView;
    friend class Host;
    friend class ReceiveView;
    friend class SendView;

    void Run();
    bool Ending() const;
    bool ApplyPending();
    bool OpenLine();
    void GoDown(const std::string& reason);
    void Receive();
    std::vector<Request> PlaceStaged();
    void Answer(const Request& request);
    bool Send(const Outgoing& item, bool keepInput);
    std::optional<Outgoing> TakeQueued();
    std::string ResolveQueued(const std::string& file) const;
    void SetState(MachineState state, std::string subject = {});
    void NoteProgress(std::int64_t bytes, std::int64_t total);
    void NoteLast(std::string last);
    void Wake();
    std::string StagingPath() const;
    PortOpenResult Lent(bool keepInput, int coalesceMs);

    const std::string name_;
    ServerLink link_;
    Machine machine_;                // worker thread only
    std::optional<Machine> pending_; // guarded by mutex_
    bool retire_ = false;            // guarded by mutex_
    std::deque<std::string> queue_;  // guarded by mutex_
    MachineStatus status_;           // guarded by mutex_
    bool sendingQueued_ = false;     // guarded by mutex_
    std::atomic<bool> cancelSend_{false};
    std::atomic<bool> finished_{false};
    mutable std::mutex mutex_;
    int wakeFd_ = -1;
    std::unique_ptr<HeldPort> held_;
    std::unique_ptr<Host> host_;
    LogOrigin origin_;
    std::string lastSaid_;
    std::thread thread_;
};
