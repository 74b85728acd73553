#include "platform/Volumes.h"

#include <cerrno>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
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

std::string g_mountsFileForTest;

std::string ReadProcMounts() {
    std::ifstream in(g_mountsFileForTest.empty() ? "/proc/self/mounts" : g_mountsFileForTest);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FloppyCheckApplies(const std::string& dirPath) {
    return FloppyCheckApplies(dirPath, ReadProcMounts());
}

bool FloppyCheckApplies(const std::string& dirPath, const std::string& mountsText) {
    // A floppy that reads needs no question; one whose volume cannot be read
    // (no disk, a dead medium) does.
    const MountEntry mount = MountOf(dirPath, mountsText);
    if (mount.source.rfind("/dev/fd", 0) == 0 && !FolderReadable(mount.mountPoint))
        return true;
    struct stat st {};
    if (::stat(dirPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return !FolderReadable(dirPath);
}

std::vector<MountEntry> ParseMounts(const std::string& mountsText) {
    std::vector<MountEntry> mounts;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (!(fields >> entry.source >> entry.mountPoint >> entry.type))
            continue;
        entry.source = Unescape(entry.source);
        entry.mountPoint = Unescape(entry.mountPoint);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

namespace {

bool ReadsOne(const std::string& file) {
    std::ifstream in(file);
    char c = '0';
    return in >> c && c == '1';
}

} // namespace

bool BlockDeviceRemovable(const std::string& source, const std::string& sysRoot) {
    if (source.rfind("/dev/", 0) != 0)
        return false;
    // /dev/disk/by-label/... and the like are links to the device node.
    std::error_code ec;
    std::filesystem::path device = std::filesystem::canonical(source, ec);
    const std::string name = (ec ? std::filesystem::path(source) : device).filename().string();
    if (name.empty())
        return false;
    const std::string block = sysRoot + "/class/block/" + name;
    if (ReadsOne(block + "/removable"))
        return true;
    // A partition has no flag of its own: its disk is the folder above it.
    std::filesystem::path real = std::filesystem::canonical(block, ec);
    return !ec && ReadsOne((real.parent_path() / "removable").string());
}

namespace {

std::function<int(const std::string&)> g_folderReadFault;

} // namespace

void SetFolderReadFaultForTest(std::function<int(const std::string& path)> fault) {
    g_folderReadFault = std::move(fault);
}

bool FolderReadable(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    // A medium that is gone may still open as a folder and fail at its first entry.
    const int fault = g_folderReadFault ? g_folderReadFault(path) : 0;
    errno = 0;
    const bool reads = fault == 0 && (::readdir(dir) != nullptr || errno == 0);
    ::closedir(dir);
    return reads;
}
