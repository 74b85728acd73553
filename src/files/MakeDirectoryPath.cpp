#include "files/MakeDirectoryPath.h"

#include <filesystem>
#include <system_error>

bool MakeDirectoryPath(const std::string& path, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    std::error_code isFolder;
    if (std::filesystem::is_directory(path, isFolder))
        return true;
    if (!ec)
        ec = isFolder;
    if (error)
        *error = path + ": " + (ec ? ec.message() : std::string("not a folder"));
    return false;
}
