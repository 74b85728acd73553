#include "files/FileCopy.h"

#include "platform/FileWrite.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(std::string* error, const std::filesystem::path& file, int err) {
    if (error)
        *error = file.string() + ": " + std::strerror(err);
    return false;
}

bool CopyBytes(int in, int out) {
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

} // namespace

bool CopyFileSafely(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::string* error) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0)
        return Fail(error, from, errno);
    // A FIFO or device could block the program: only regular files are copied.
    if (!S_ISREG(st.st_mode))
        return Fail(error, from, EINVAL);
    if (SameFile(from, to))
        return true;

    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return Fail(error, from, errno);
    std::filesystem::path temp = to;
    temp += ".dravik-copy";
    int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        int err = errno;
        ::close(in);
        return Fail(error, to, err);
    }
    bool ok = CopyBytes(in, out);
    int err = errno;
    ::close(in);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    // The copy is on the disk before its name replaces anything.
    if (ok && (err = SyncOpenFile(out, to)) != 0)
        ok = false;
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), to.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Fail(error, to, err ? err : EIO);
    }
    if (int folderErr = SyncFolder(to.parent_path()))
        return Fail(error, to, folderErr);
    return true;
}
