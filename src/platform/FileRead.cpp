#include "platform/FileRead.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(const std::filesystem::path& path, int err, std::string* error) {
    if (error)
        *error = path.string() + ": " + std::strerror(err);
    return false;
}

} // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    // Non-blocking, so that a FIFO put in the file's place cannot hold the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return Fail(path, errno, error);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL;
        ::close(fd);
        return Fail(path, err, error);
    }
    std::string read;
    read.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            read.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int err = errno;
            ::close(fd);
            return Fail(path, err, error);
        }
    }
    ::close(fd);
    bytes = std::move(read);
    return true;
}
