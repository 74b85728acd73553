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

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

bool IsSystemProgramFolder(const std::filesystem::path& folder) {
    const std::filesystem::path normal = folder.lexically_normal();
    auto it = normal.begin();
    if (it == normal.end() || *it != "/" || ++it == normal.end())
        return false;
    return *it == "usr" || *it == "bin" || *it == "sbin";
}

std::filesystem::path ChooseProgramFolder(const ProgramFolderFacts& facts) {
    if (!facts.dravikHome.empty())
        return facts.dravikHome;
    if (!facts.executableFolder.empty() && facts.executableFolderWritable &&
        !IsSystemProgramFolder(facts.executableFolder))
        return facts.executableFolder;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say;
    // taken as it is it would move with the current folder.
    std::filesystem::path config;
    if (!facts.xdgConfigHome.empty() && facts.xdgConfigHome.front() == '/')
        config = facts.xdgConfigHome;
    else if (!facts.home.empty())
        config = std::filesystem::path(facts.home) / ".config";
    else
        config = "/tmp";
    return config / "dravik";
}

void SetProgramFolder(const std::filesystem::path& folder) {
    Override() = folder;
}

std::filesystem::path ProgramFolder() {
    if (!Override().empty())
        return Override();
    ProgramFolderFacts facts;
    facts.dravikHome = Environment("DRAVIK_HOME");
    facts.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    facts.home = Environment("HOME");
    facts.executableFolder = ExecutableFolder();
    facts.executableFolderWritable =
        !facts.executableFolder.empty() && ::access(facts.executableFolder.c_str(), W_OK) == 0;
    auto folder = ChooseProgramFolder(facts);
    if (facts.dravikHome.empty() && folder != facts.executableFolder) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    return folder;
}

std::filesystem::path ProgramFilePath(const char* extension) {
    return ProgramFolder() / (std::string("Dravik") + extension);
}
