#include "platform/SingleInstance.h"

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const std::filesystem::path& programFolder) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(programFolder, ec);
    const std::string folder = ec ? programFolder.string() : canonical.string();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path dir = runtime && *runtime ? runtime : "/tmp";
    path_ = (dir / ("Dravik-" + std::to_string(::getuid()) + "-" +
                    std::to_string(std::hash<std::string>{}(folder)) + ".lock"))
                .string();
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0)
        ::close(fd_);
}
