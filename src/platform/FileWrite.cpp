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

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
}

bool AtomicFileWriter::Open(const std::filesystem::path& path, std::string* error) {
    Abandon();
    path_ = path;
    if (Fault()) {
        if (int err = Fault()(path))
            return Fail(error, path, err);
    }
    temp_ = path;
    temp_ += ".tmp";
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    return fd_ >= 0 ? true : Fail(error, path, errno);
}

bool AtomicFileWriter::Write(std::string_view bytes, std::string* error) {
    if (fd_ < 0)
        return Fail(error, path_, EBADF);
    int err = Fault() && faultEachPiece_ ? Fault()(path_) : 0;
    if (err == 0 && !WriteAll(fd_, bytes))
        err = errno ? errno : EIO;
    if (err == 0)
        return true;
    Abandon();
    return Fail(error, path_, err);
}

bool AtomicFileWriter::Commit(bool durable, std::string* error) {
    if (fd_ < 0)
        return Fail(error, path_, EBADF);
    if (durable && ::fsync(fd_) != 0) {
        int err = errno;
        Abandon();
        return Fail(error, path_, err);
    }
    ::close(fd_);
    fd_ = -1;
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(temp_.c_str());
        return Fail(error, path_, err);
    }
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    AtomicFileWriter writer(false);
    return writer.Open(path, error) && writer.Write(bytes, error) && writer.Commit(true, error);
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
