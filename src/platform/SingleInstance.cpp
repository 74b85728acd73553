#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

// The runtime folder first, /tmp after it: a runtime folder that is missing or
// not writable must not pass for another running copy.
std::vector<std::filesystem::path> LockFolders() {
    std::vector<std::filesystem::path> folders;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        folders.emplace_back(runtime);
    if (folders.empty() || folders.front() != "/tmp")
        folders.emplace_back("/tmp");
    return folders;
}

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& programFolder) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(programFolder, ec);
    const std::string folder = ec ? programFolder.string() : canonical.string();
    const std::string name = "Dravik-" + std::to_string(::getuid()) + "-" +
                             std::to_string(std::hash<std::string>{}(folder)) + ".lock";
    for (const std::filesystem::path& dir : LockFolders()) {
        const std::string path = (dir / name).string();
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            path_ = path;
            return;
        }
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (held) {
            heldElsewhere_ = true;
            path_ = path;
            return;
        }
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0)
        ::close(fd_);
}
