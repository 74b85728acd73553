#include "files/FileOps.h"

#include "files/FileCopy.h"
#include "platform/FileWrite.h"
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

// A rename is on the disk once both folders are: the new name, then the old one gone.
MoveStatus SyncFolders(const fs::path& from, const fs::path& to, std::string* error) {
    if (int err = SyncFolder(to.parent_path()))
        return Fail(error, to, err);
    if (!SameFile(from.parent_path(), to.parent_path())) {
        if (int err = SyncFolder(from.parent_path()))
            return Fail(error, from, err);
    }
    return MoveStatus::Moved;
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
        return SyncFolders(from, to, error);
    int err = errno;
    struct stat st {};
    if (err != EXDEV || ::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Fail(error, from, err);
    // Another file system: the source goes only once the copy is on the disk.
    if (!CopyFileSafely(from, to, error))
        return MoveStatus::Failed;
    if (::unlink(from.c_str()) != 0)
        return Fail(error, from, errno);
    if (int folderErr = SyncFolder(from.parent_path()))
        return Fail(error, from, folderErr);
    return MoveStatus::Moved;
}
