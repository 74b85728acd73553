#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace {

std::filesystem::path& Override() {
    static std::filesystem::path folder;
    return folder;
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace

void SetProgramFolder(const std::filesystem::path& folder) {
    Override() = folder;
}

std::filesystem::path ProgramFolder() {
    if (!Override().empty())
        return Override();
    if (const char* home = std::getenv("DRAVIK_HOME"); home && *home)
        return home;
    auto exe = ExecutableFolder();
    if (!exe.empty() && ::access(exe.c_str(), W_OK) == 0)
        return exe;
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* user = std::getenv("HOME"); user && *user)
        config = std::filesystem::path(user) / ".config";
    else
        config = "/tmp";
    std::error_code ec;
    std::filesystem::create_directories(config / "dravik", ec);
    return config / "dravik";
}

std::filesystem::path ProgramFilePath(const char* extension) {
    return ProgramFolder() / (std::string("Dravik") + extension);
}
