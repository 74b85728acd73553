#include "platform/SerialSystem.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

SerialSystem realSystem;
SerialSystem* current = &realSystem;

template <typename Call>
auto RetryOnEintr(Call call) {
    for (;;) {
        auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

} // namespace

int SerialSystem::Open(const char* path, int flags) {
    return ::open(path, flags);
}

int SerialSystem::Close(int fd) {
    return ::close(fd);
}

ssize_t SerialSystem::Read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t SerialSystem::Write(int fd, const void* buffer, size_t size) {
    return ::write(fd, buffer, size);
}

ssize_t SerialSystem::Send(int fd, const void* buffer, size_t size) {
    return ::send(fd, buffer, size, MSG_NOSIGNAL);
}

int SerialSystem::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}

int SerialSystem::PollFor(pollfd* fds, nfds_t count, std::chrono::microseconds timeout) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>((timeout - seconds).count() * 1000)};
    return ::ppoll(fds, count, &wait, nullptr);
}

int SerialSystem::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

int SerialSystem::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}

SerialSystem& Serial() {
    return *current;
}

void SetSerialSystemForTest(SerialSystem* system) {
    current = system != nullptr ? system : &realSystem;
}

int CallOpen(const char* path, int flags) {
    return RetryOnEintr([&] { return Serial().Open(path, flags); });
}

int CallClose(int fd) {
    // close is not repeated: on Linux the descriptor is gone even after EINTR.
    return Serial().Close(fd);
}

ssize_t CallRead(int fd, void* buffer, size_t size) {
    return RetryOnEintr([&] { return Serial().Read(fd, buffer, size); });
}

ssize_t CallWrite(int fd, const void* buffer, size_t size) {
    return RetryOnEintr([&] { return Serial().Write(fd, buffer, size); });
}

ssize_t CallSend(int fd, const void* buffer, size_t size) {
    return RetryOnEintr([&] { return Serial().Send(fd, buffer, size); });
}

int CallPoll(pollfd* fds, nfds_t count, int timeoutMs) {
    return RetryOnEintr([&] { return Serial().Poll(fds, count, timeoutMs); });
}

int CallPollFor(pollfd* fds, nfds_t count, std::chrono::microseconds timeout) {
    return RetryOnEintr([&] { return Serial().PollFor(fds, count, timeout); });
}

int CallIoctl(int fd, unsigned long request, void* argument) {
    return RetryOnEintr([&] { return Serial().Ioctl(fd, request, argument); });
}

int CallFlock(int fd, int operation) {
    return RetryOnEintr([&] { return Serial().Flock(fd, operation); });
}
