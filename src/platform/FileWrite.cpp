#include "platform/FileWrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileWriteFault& Fault() {
    static FileWriteFault fault;
    return fault;
}

bool Fail(std::string* error, const std::filesystem::path& path, int err) {
    if (error)
        *error = path.string() + ": " + std::strerror(err);
    return false;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

void SetFileWriteFaultForTest(FileWriteFault fault) {
    Fault() = std::move(fault);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    if (Fault()) {
        if (int err = Fault()(path))
            return Fail(error, path, err);
    }
    std::filesystem::path temp = path;
    temp += ".tmp";
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return Fail(error, path, errno);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        err = ok ? errno : err;
        ::unlink(temp.c_str());
        return Fail(error, path, err ? err : EIO);
    }
    return true;
}

bool AppendToFile(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
    if (Fault()) {
        if (int err = Fault()(path))
            return Fail(error, path, err);
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(error, path, errno);
    bool ok = WriteAll(fd, bytes);
    int err = errno;
    ::close(fd);
    return ok ? true : Fail(error, path, err ? err : EIO);
}
