#include "files/FileOps.h"

#include "files/FileCopy.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

FileOpsFault& Fault() {
    static FileOpsFault fault;
    return fault;
}

MoveStatus Fail(std::string* error, const fs::path& path, int err) {
    if (error)
        *error = path.string() + ": " + std::strerror(err);
    return MoveStatus::Failed;
}

} // namespace

void SetFileOpsFaultForTest(FileOpsFault fault) {
    Fault() = std::move(fault);
}

int FileOpsFaultFor(const fs::path& target) {
    return Fault() ? Fault()(target) : 0;
}

MoveStatus MoveOnePath(const fs::path& from, const fs::path& to, std::string* error) {
    if (SameFile(from, to))
        return MoveStatus::SameFile;
    if (int err = FileOpsFaultFor(to))
        return Fail(error, from, err);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return MoveStatus::Moved;
    int err = errno;
    struct stat st {};
    if (err != EXDEV || ::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Fail(error, from, err);
    // Another file system: the source goes only once the copy is complete.
    if (!CopyFileSafely(from, to, error))
        return MoveStatus::Failed;
    if (::unlink(from.c_str()) != 0)
        return Fail(error, from, errno);
    return MoveStatus::Moved;
}
