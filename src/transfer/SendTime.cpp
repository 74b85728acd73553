#include "transfer/SendTime.h"

void SendTimeEstimate(SendCounters& counters) {
    const int64_t sent = counters.sent.load();
    const int64_t base = counters.estimateBase.load();
    const int64_t moved = sent - base;
    if ((moved < 0 ? -moved : moved) <= 10)
        return; // paused or nearly idle: the last estimate stays
    const int64_t perSecond = moved / 10;
    if (perSecond <= 0)
        return; // sent went backwards (a new file started meanwhile)
    counters.remainingSeconds = (counters.total.load() - sent) / perSecond;
    counters.estimateBase = sent;
}

void SendTimeWorker::Tick() {
    Join();
    worker_ = std::thread([this] { SendTimeEstimate(counters_); });
}

void SendTimeWorker::Join() {
    if (worker_.joinable())
        worker_.join();
}
