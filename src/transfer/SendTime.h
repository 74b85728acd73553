// The remaining-time estimate of a send. The send job advances the counters once
// per line on the user-interface thread; every 10 seconds a short-lived worker
// computes the rate of the last ten seconds and the seconds still needed.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

// Shared between the send job and the estimate worker; every access is one whole
// atomic read or write, nothing is locked. 64 bits, so that a file past 2 GB does
// not wrap the counts.
struct SendCounters {
    std::atomic<int64_t> total{0};
    std::atomic<int64_t> sent{0};
    std::atomic<int64_t> estimateBase{0};
    std::atomic<int64_t> remainingSeconds{0};

    // A file's text starts: nothing sent, no estimate yet.
    void StartFile(int64_t fileTotal) {
        total = fileTotal;
        sent = 0;
        estimateBase = 0;
        remainingSeconds = 0;
    }
};

// One estimate: when more than 10 bytes went out since the last one, remaining
// seconds = bytes still to send / bytes per second of the last 10 seconds.
void SendTimeEstimate(SendCounters& counters);

// Timer2's worker: each tick starts one worker thread that makes one estimate and
// ends. The previous worker is joined first and the last one on destruction, so no
// worker outlives the counters.
class SendTimeWorker {
public:
    explicit SendTimeWorker(SendCounters& counters) : counters_(counters) {}
    ~SendTimeWorker() { Join(); }
    SendTimeWorker(const SendTimeWorker&) = delete;
    SendTimeWorker& operator=(const SendTimeWorker&) = delete;

    void Tick();
    void Join();

private:
    SendCounters& counters_;
    std::thread worker_;
};
