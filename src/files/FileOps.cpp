#include "files/FileOps.h"

#include "app/StartArguments.h"
#include "files/FileCopy.h"

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

std::string ResolveTypedPath(std::string_view typed, std::string_view base, std::string_view home) {
    fs::path path;
    if (typed == "~")
        path = fs::path(std::string(home));
    else if (typed.starts_with("~/"))
        path = fs::path(std::string(home)) / std::string(typed.substr(2));
    else if (typed.starts_with("/"))
        path = fs::path(std::string(typed));
    else
        path = fs::path(std::string(base)) / std::string(typed);
    std::string normal = path.lexically_normal().string();
    return normal.empty() ? std::string(".") : DropTrailingSeparator(normal);
}

bool IsSameFolder(std::string_view a, std::string_view b) {
    fs::path pa{std::string(a)}, pb{std::string(b)};
    if (SameFile(pa, pb))
        return true;
    return DropTrailingSeparator(pa.lexically_normal().string()) ==
           DropTrailingSeparator(pb.lexically_normal().string());
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
