// A SerialSystem for tests on pseudo-terminals: the real calls, except that
// poll records the timeout it was asked for and waits at most realWaitCapMs,
// so that a 1000 ms timeout is checked without waiting for it. It can also
// interrupt the next calls with EINTR.
#pragma once

#include "platform/SerialSystem.h"

#include <cerrno>
#include <vector>

class RecordingSerialSystem : public SerialSystem {
public:
    struct PollCall {
        short events;
        int timeoutMs;
    };

    std::vector<PollCall> polls;
    int realWaitCapMs = 0;
    int interruptWrites = 0;
    int interruptPolls = 0;
    int interruptIoctls = 0;
    int writeCalls = 0;
    int readCalls = 0;
    int ioctlCalls = 0;

    RecordingSerialSystem() { SetSerialSystemForTest(this); }
    ~RecordingSerialSystem() override { SetSerialSystemForTest(nullptr); }

    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
        polls.push_back({count > 0 ? fds[0].events : short(0), timeoutMs});
        if (interruptPolls > 0) {
            --interruptPolls;
            errno = EINTR;
            return -1;
        }
        return SerialSystem::Poll(fds, count,
                                  timeoutMs < realWaitCapMs ? timeoutMs : realWaitCapMs);
    }
    // Recorded in whole milliseconds, rounded up.
    int PollFor(pollfd* fds, nfds_t count, std::chrono::microseconds timeout) override {
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout);
        polls.push_back({count > 0 ? fds[0].events : short(0), int(ms.count())});
        const auto cap = std::chrono::milliseconds(realWaitCapMs);
        return SerialSystem::PollFor(fds, count, timeout < cap ? timeout : cap);
    }
    ssize_t Write(int fd, const void* buffer, size_t size) override {
        ++writeCalls;
        if (interruptWrites > 0) {
            --interruptWrites;
            errno = EINTR;
            return -1;
        }
        return SerialSystem::Write(fd, buffer, size);
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        ++readCalls;
        return SerialSystem::Read(fd, buffer, size);
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        ++ioctlCalls;
        if (interruptIoctls > 0) {
            --interruptIoctls;
            errno = EINTR;
            return -1;
        }
        return SerialSystem::Ioctl(fd, request, argument);
    }

    std::vector<int> TimeoutsFor(short events) const {
        std::vector<int> timeouts;
        for (const auto& call : polls) {
            if (call.events == events) {
                timeouts.push_back(call.timeoutMs);
            }
        }
        return timeouts;
    }
};
