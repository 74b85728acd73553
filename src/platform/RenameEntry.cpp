#include "platform/RenameEntry.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool g_noReplaceUnsupported = false;

bool SameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Both names lead to one entry: a case-folding file system and a change of case.
bool NamesOneEntry(const std::string& from, const std::string& to) {
    struct stat a {
    }, b{};
    return ::lstat(from.c_str(), &a) == 0 && ::lstat(to.c_str(), &b) == 0 && SameEntry(a, b) &&
           a.st_nlink == 1;
}

RenameOutcome Done() {
    return {RenameStatus::Renamed, 0};
}

RenameOutcome FromErrno(int error) {
    return {error == EEXIST ? RenameStatus::TargetExists : RenameStatus::Failed, error};
}

RenameOutcome PlainRename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? Done() : FromErrno(errno);
}

// For file systems without RENAME_NOREPLACE: link refuses an existing target the
// way the flag would; folders and file systems without hard links get a checked
// rename (the check and the rename are not one step there).
RenameOutcome FallbackRename(const std::string& from, const std::string& to) {
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return FromErrno(errno);
    if (!S_ISDIR(source.st_mode)) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0)
                return Done();
            int error = errno;
            ::unlink(to.c_str());
            return FromErrno(error);
        }
        if (errno == EEXIST)
            return NamesOneEntry(from, to) ? PlainRename(from, to) : FromErrno(EEXIST);
    }
    struct stat target {};
    if (::lstat(to.c_str(), &target) == 0)
        return SameEntry(source, target) ? PlainRename(from, to) : FromErrno(EEXIST);
    if (errno != ENOENT)
        return FromErrno(errno);
    return PlainRename(from, to);
}

class SystemEntryRenamer : public EntryRenamer {
public:
    RenameOutcome Rename(const std::string& from, const std::string& to) override {
        int result = -1;
        if (g_noReplaceUnsupported)
            errno = EINVAL;
        else
            result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (result == 0)
            return Done();
        int error = errno;
        if (error == EINVAL || error == ENOSYS || error == ENOTSUP)
            return FallbackRename(from, to);
        if (error == EEXIST && NamesOneEntry(from, to))
            return PlainRename(from, to);
        return FromErrno(error);
    }
};

} // namespace

EntryRenamer& SystemRenamer() {
    static SystemEntryRenamer renamer;
    return renamer;
}

void SetNoReplaceUnsupportedForTest(bool unsupported) {
    g_noReplaceUnsupported = unsupported;
}
