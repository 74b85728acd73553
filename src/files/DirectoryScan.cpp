#include "files/DirectoryScan.h"

#include "platform/TextCodec.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int g_scanOpenFault = 0;

bool MatchesWildcard(std::string_view name, std::string_view wildcard) {
    if (wildcard == "*.*" || wildcard == "*")
        return true;
    // Iterative matcher with one back-tracking point for the last "*".
    size_t n = 0, w = 0, starW = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (w < wildcard.size() &&
            (wildcard[w] == '?' || AsciiUpper(wildcard[w]) == AsciiUpper(name[n]))) {
            ++n;
            ++w;
        } else if (w < wildcard.size() && wildcard[w] == '*') {
            starW = w++;
            starN = n;
        } else if (starW != std::string_view::npos) {
            w = starW + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (w < wildcard.size() && wildcard[w] == '*')
        ++w;
    // "NAME.*" also matches a name without a dot, as on the original file systems.
    if (w + 2 == wildcard.size() && wildcard[w] == '.' && wildcard[w + 1] == '*')
        w += 2;
    return w == wildcard.size();
}

bool NameMatches(std::string_view name, std::string_view wildcard) {
    if (MatchesWildcard(name, wildcard))
        return true;
    // A typed text is UTF-8, a name from a Windows share Shift-JIS: compared as the
    // texts they show, the one finds the other.
    if (IsValidUtf8(name) && IsValidUtf8(wildcard))
        return false;
    return MatchesWildcard(DecodeToUtf8(name), DecodeToUtf8(wildcard));
}

void SplitSearchPattern(std::string_view pattern, std::string& folder, std::string& wildcard) {
    size_t slash = pattern.rfind('/');
    if (slash == std::string_view::npos) {
        folder.clear();
        wildcard = pattern;
        return;
    }
    folder = slash == 0 ? std::string("/") : std::string(pattern.substr(0, slash));
    wildcard = pattern.substr(slash + 1);
}

namespace {

struct DirCloser {
    DIR* dir;
    ~DirCloser() { ::closedir(dir); }
};

} // namespace

bool ScanDirectory(const std::string& folder, std::string_view wildcard,
                   const std::function<void(ScannedEntry&&)>& onEntry,
                   const std::function<void()>& progress) {
    if (g_scanOpenFault != 0) {
        errno = g_scanOpenFault;
        return false;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    DirCloser closer{dir};
    int fd = ::dirfd(dir);
    bool any = false;
    size_t seen = 0;
    while (dirent* item = ::readdir(dir)) {
        std::string_view name = item->d_name;
        if (!NameMatches(name, wildcard))
            continue;
        any = true;
        if (name == "." || name == "..")
            continue;
        if (progress && ++seen % 1024 == 0)
            progress();
        // Examined again through the path, so that a link to a folder is a folder.
        // A dangling link is shown as the file it is; an entry that vanished is left out.
        struct stat st {};
        if (::fstatat(fd, item->d_name, &st, 0) != 0 &&
            ::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        ScannedEntry entry;
        entry.name = name;
        entry.isFolder = S_ISDIR(st.st_mode);
        entry.size = static_cast<std::uint64_t>(st.st_size);
        entry.modified = st.st_mtim.tv_sec;
        onEntry(std::move(entry));
    }
    return any;
}
