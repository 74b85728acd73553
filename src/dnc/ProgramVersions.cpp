#include "dnc/ProgramVersions.h"

#include "platform/FileRead.h"
#include "platform/Paths.h"
#include "platform/RenameEntry.h"
#include "transfer/ReceiveNaming.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string VersionName(const std::string& name, std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, ".%Y%m%d-%H%M%S", &local);
    return name + stamp;
}

namespace {

bool SameContent(const std::string& a, const std::string& b) {
    std::string left, right;
    return ReadWholeFile(a, left) && ReadWholeFile(b, right) && left == right;
}

// A free name in the versions folder: two replacements within one second both stay.
std::string FreeVersionPath(const std::string& versions, const std::string& name) {
    std::error_code ec;
    std::string path = JoinPath(versions, name);
    for (int variant = 2; fs::exists(fs::symlink_status(path, ec)); ++variant)
        path = JoinPath(versions, NumberedVariant(name, variant));
    return path;
}

} // namespace

PlacedProgram PlaceReceivedProgram(const std::string& staged, const std::string& folder,
                                   std::time_t when) {
    PlacedProgram result;
    const std::string name = fs::path(staged).filename().string();
    result.path = JoinPath(folder, name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(result.path, ec))) {
        const std::string versions = JoinPath(folder, ".versions");
        fs::create_directory(versions, ec);
        const std::string kept = FreeVersionPath(versions, VersionName(name, when));
        result.differed = !SameContent(staged, result.path);
        if (std::rename(result.path.c_str(), kept.c_str()) != 0) {
            result.error = result.path + ": " + std::strerror(errno);
            return result;
        }
        result.versionPath = kept;
    }
    // Nothing stands under the name now: a plain rename cannot replace anything.
    if (std::rename(staged.c_str(), result.path.c_str()) != 0) {
        result.error = result.path + ": " + std::strerror(errno);
        return result;
    }
    result.placed = true;
    return result;
}
