// The one seam through which the serial module reaches the kernel. Every
// open, close, read, write, poll, ioctl and flock of a serial device goes
// through Serial(); tests install their own SerialSystem to record timeouts or
// inject errors. The Call* helpers retry on EINTR, so callers never see it.
#pragma once

#include <chrono>
#include <poll.h>
#include <sys/types.h>

class SerialSystem {
public:
    virtual ~SerialSystem() = default;
    // Each returns what the system call returns and leaves errno as it set it.
    virtual int Open(const char* path, int flags);
    virtual int Close(int fd);
    virtual ssize_t Read(int fd, void* buffer, size_t size);
    virtual ssize_t Write(int fd, const void* buffer, size_t size);
    // A write to a socket that never raises SIGPIPE when the far end has gone.
    virtual ssize_t Send(int fd, const void* buffer, size_t size);
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs);
    // A poll whose timeout is not rounded to milliseconds (ppoll).
    virtual int PollFor(pollfd* fds, nfds_t count, std::chrono::microseconds timeout);
    virtual int Ioctl(int fd, unsigned long request, void* argument);
    virtual int Flock(int fd, int operation);
};

// The seam in use: the real system unless a test installed another.
SerialSystem& Serial();
// Installs system (nullptr restores the real one); the caller keeps ownership.
void SetSerialSystemForTest(SerialSystem* system);

int CallOpen(const char* path, int flags);
int CallClose(int fd);
ssize_t CallRead(int fd, void* buffer, size_t size);
ssize_t CallWrite(int fd, const void* buffer, size_t size);
ssize_t CallSend(int fd, const void* buffer, size_t size);
// A poll interrupted by a signal is repeated with the full timeout: the
// timeouts here are short (10 ms, 1000 ms) and a late return is harmless.
int CallPoll(pollfd* fds, nfds_t count, int timeoutMs);
int CallPollFor(pollfd* fds, nfds_t count, std::chrono::microseconds timeout);
int CallIoctl(int fd, unsigned long request, void* argument);
int CallFlock(int fd, int operation);
