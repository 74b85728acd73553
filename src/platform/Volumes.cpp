#include "platform/Volumes.h"

#include <cerrno>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace {

// /proc/mounts escapes blanks and tabs as octal.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out += static_cast<char>(value);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool Within(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

} // namespace

MountEntry MountOf(const std::string& path, const std::string& mountsText) {
    MountEntry best;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        fields >> entry.source >> entry.mountPoint >> entry.type;
        entry.source = Unescape(entry.source);
        entry.mountPoint = Unescape(entry.mountPoint);
        if (Within(path, entry.mountPoint) && entry.mountPoint.size() >= best.mountPoint.size())
            best = entry;
    }
    return best;
}

std::string ReadProcMounts() {
    std::ifstream in("/proc/self/mounts");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

// A medium that is gone may still open as a folder and fail at its first entry.
bool FolderReads(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    errno = 0;
    const bool reads = ::readdir(dir) != nullptr || errno == 0;
    ::closedir(dir);
    return reads;
}

} // namespace

bool FloppyCheckApplies(const std::string& dirPath) {
    return FloppyCheckApplies(dirPath, ReadProcMounts());
}

bool FloppyCheckApplies(const std::string& dirPath, const std::string& mountsText) {
    // A floppy that reads needs no question; one whose volume cannot be read
    // (no disk, a dead medium) does.
    const MountEntry mount = MountOf(dirPath, mountsText);
    if (mount.source.rfind("/dev/fd", 0) == 0 && !FolderReads(mount.mountPoint))
        return true;
    struct stat st {};
    if (::stat(dirPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return !FolderReads(dirPath);
}
