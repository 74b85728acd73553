#include "platform/Paths.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string ParentPath(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == 0 || slash == std::string_view::npos)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string DropTrailingSeparator(std::string path) {
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
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

bool SameFile(const fs::path& a, const fs::path& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool IsSameFolder(std::string_view a, std::string_view b) {
    fs::path pa{std::string(a)}, pb{std::string(b)};
    if (SameFile(pa, pb))
        return true;
    return DropTrailingSeparator(pa.lexically_normal().string()) ==
           DropTrailingSeparator(pb.lexically_normal().string());
}

std::string MaskExtension(std::string_view mask) {
    return mask.empty() ? std::string() : std::string(mask.substr(1));
}
