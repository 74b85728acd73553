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
    WholeFileWriter writer(false);
    if (writer.Open(path) && writer.Append(bytes) && writer.Commit(true))
        return true;
    if (error)
        *error = writer.Error();
    return false;
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

namespace {

constexpr size_t kBlockBytes = 1u << 20;

} // namespace

bool WholeFileWriter::Open(const std::filesystem::path& path) {
    Discard();
    path_ = path;
    error_.clear();
    if (Fault()) {
        if (int err = Fault()(path))
            return Fail(err);
    }
    // O_EXCL: a file the operator keeps under the temporary name is never touched.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = path;
        temp_ += ".part" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return Fail(errno);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::fchmod(fd_, st.st_mode & 07777) != 0)
        return Fail(errno);
    block_.clear();
    block_.reserve(kBlockBytes);
    return true;
}

bool WholeFileWriter::Append(std::string_view bytes) {
    if (fd_ < 0)
        return false;
    if (block_.size() + bytes.size() > kBlockBytes && !Flush())
        return false;
    if (bytes.size() >= kBlockBytes)
        return WriteBlock(bytes);
    block_.append(bytes);
    return true;
}

bool WholeFileWriter::WriteBlock(std::string_view bytes) {
    if (faultEachBlock_ && Fault()) {
        if (int err = Fault()(path_))
            return Fail(err);
    }
    errno = 0;
    if (!WriteAll(fd_, bytes))
        return Fail(errno ? errno : EIO);
    return true;
}

bool WholeFileWriter::Flush() {
    if (block_.empty())
        return true;
    if (!WriteBlock(block_))
        return false;
    block_.clear();
    return true;
}

bool WholeFileWriter::Commit(bool durable) {
    if (fd_ < 0)
        return false;
    if (!Flush())
        return false;
    if (durable && ::fsync(fd_) != 0)
        return Fail(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temp_.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        return Fail(err ? err : EIO);
    }
    temp_.clear();
    return true;
}

void WholeFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    block_.clear();
}

bool WholeFileWriter::Fail(int err) {
    if (error_.empty())
        ::Fail(&error_, path_, err);
    Discard();
    return false;
}
