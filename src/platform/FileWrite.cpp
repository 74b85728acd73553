#include "platform/FileWrite.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
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

FileSyncHook& SyncHook() {
    static FileSyncHook hook;
    return hook;
}

std::mutex& SyncHookMutex() {
    static std::mutex mutex;
    return mutex;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path();
}

// Opens path for a flush only: a file to sync is never written through this.
int SyncPath(const std::filesystem::path& path, bool folder) {
    const char* name = path.empty() ? "." : path.c_str();
    int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return errno;
    int err = SyncOpenFile(fd, path);
    ::close(fd);
    return err;
}

// Flushes on a few threads: each flush mostly waits for the disk, and flushes
// waiting together are committed together.
constexpr size_t kSyncThreads = 8;

} // namespace

void SetFileWriteFaultForTest(FileWriteFault fault) {
    Fault() = std::move(fault);
}

void SetFileSyncHookForTest(FileSyncHook hook) {
    std::lock_guard lock(SyncHookMutex());
    SyncHook() = std::move(hook);
}

int SyncOpenFile(int fd, const std::filesystem::path& path) {
    {
        std::lock_guard lock(SyncHookMutex());
        if (SyncHook()) {
            if (int err = SyncHook()(path))
                return err;
        }
    }
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

int SyncFolder(const std::filesystem::path& folder) {
    return SyncPath(folder, true);
}

bool SyncToDisk(const std::vector<std::filesystem::path>& files, std::string* error) {
    std::mutex mutex;
    std::filesystem::path failed;
    int failure = 0;
    auto note = [&](const std::filesystem::path& path, int err) {
        std::lock_guard lock(mutex);
        if (failure == 0) {
            failure = err;
            failed = path;
        }
    };
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            if (int err = SyncPath(files[i], false))
                note(files[i], err);
        }
    };
    std::vector<std::thread> threads;
    try {
        for (size_t n = 1; n < std::min(kSyncThreads, files.size()); ++n)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones there are share the files.
    }
    work();
    for (std::thread& thread : threads)
        thread.join();
    // A name is on the disk only once its folder is, and only after its file.
    std::set<std::filesystem::path> folders;
    for (const std::filesystem::path& file : files)
        folders.insert(FolderOf(file));
    for (const std::filesystem::path& folder : folders) {
        if (failure != 0)
            break;
        if (int err = SyncFolder(folder))
            note(folder.empty() ? std::filesystem::path(".") : folder, err);
    }
    return failure == 0 || Fail(error, failed, failure);
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
    if (durable) {
        if (int err = SyncOpenFile(fd_, path_))
            return Fail(err);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temp_.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        return Fail(err ? err : EIO);
    }
    temp_.clear();
    // The file is in place now; a folder that cannot be flushed is still a failure,
    // as nothing says the name would survive a power cut.
    if (durable) {
        if (int err = SyncFolder(FolderOf(path_)))
            return Fail(err);
    }
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
