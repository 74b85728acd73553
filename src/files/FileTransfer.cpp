#include "files/FileTransfer.h"

#include "files/FileCopy.h"
#include "files/FileOps.h"
#include "platform/FileWrite.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

size_t CountFiles(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec)))
        return 1;
    size_t count = 1;
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        ++count;
    return count;
}

// True when inner is outer itself or lies below it (on disk, links resolved).
bool IsInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    fs::path a = fs::weakly_canonical(inner, ec);
    fs::path b = fs::weakly_canonical(outer, ec);
    auto [end, ignored] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return end == b.end();
}

class Transfer {
public:
    Transfer(bool copy, const TransferHooks& hooks, size_t total)
        : copy_(copy), hooks_(hooks), total_(total) {}

    // Copies or moves source into the folder destDir.
    void One(const fs::path& source, const fs::path& destDir) {
        if (outcome.cancelled)
            return;
        fs::path target = destDir / source.filename();
        struct stat st {};
        if (::lstat(source.c_str(), &st) != 0)
            return Failed(source, errno);
        if (!Progress(source))
            return;
        if (SameFile(source, target)) {
            ++outcome.done; // already where it should go: nothing to do, nothing lost
            return;
        }
        if (S_ISDIR(st.st_mode))
            return Folder(source, target, st);
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0) {
            if (S_ISDIR(existing.st_mode))
                return Failed(target, EISDIR);
            if (!MayReplace(target))
                return;
        }
        if (int err = FileOpsFaultFor(target))
            return Failed(target, err);
        std::string error;
        bool ok = copy_ ? CopyFileSafely(source, target, &error)
                        : MoveOnePath(source, target, &error) != MoveStatus::Failed;
        if (!ok)
            return outcome.failures.push_back(error);
        ++outcome.done;
    }

    TransferOutcome outcome;

private:
    void Folder(const fs::path& source, const fs::path& target, const struct stat& st) {
        if (IsInside(target, source))
            return Failed(target, EINVAL); // a folder into itself would never end
        struct stat existing {};
        bool exists = ::stat(target.c_str(), &existing) == 0;
        if (exists && !S_ISDIR(existing.st_mode))
            return Failed(target, EEXIST);
        if (!copy_ && !exists) {
            struct stat parent {};
            bool sameDevice =
                ::stat(target.parent_path().c_str(), &parent) == 0 && parent.st_dev == st.st_dev;
            if (sameDevice) {
                std::string error;
                if (MoveOnePath(source, target, &error) == MoveStatus::Failed)
                    outcome.failures.push_back(error);
                else
                    ++outcome.done;
                return;
            }
        }
        if (!exists) {
            int err = FileOpsFaultFor(target);
            if (err || ::mkdir(target.c_str(), st.st_mode & 07777) != 0)
                return Failed(target, err ? err : errno);
            // The files copied into it are on the disk only with the folder's own name.
            if ((err = SyncFolder(target.parent_path())) != 0)
                return Failed(target, err);
        }
        size_t failuresBefore = outcome.failures.size();
        std::error_code ec;
        std::vector<fs::path> children;
        for (const fs::directory_entry& entry : fs::directory_iterator(source, ec))
            children.push_back(entry.path());
        if (ec)
            return Failed(source, ec.value());
        std::sort(children.begin(), children.end()); // the questions come in name order
        for (const fs::path& child : children)
            One(child, target);
        // A moved folder goes only when it is empty: a file the operator chose to
        // keep (No) or one that failed stays where it was, in its folder.
        if (!copy_ && !outcome.cancelled && outcome.failures.size() == failuresBefore &&
            ::rmdir(source.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST)
            return Failed(source, errno);
        ++outcome.done;
    }

    bool MayReplace(const fs::path& target) {
        if (yesToAll_ || !hooks_.askReplace)
            return true;
        switch (hooks_.askReplace(target)) {
        case ReplaceAnswer::YesToAll:
            yesToAll_ = true;
            return true;
        case ReplaceAnswer::Yes:
            return true;
        case ReplaceAnswer::No:
            return false;
        case ReplaceAnswer::Cancel:
            outcome.cancelled = true;
            return false;
        }
        return false;
    }

    bool Progress(const fs::path& current) {
        if (hooks_.progress && !hooks_.progress(seen_, total_, current))
            outcome.cancelled = true;
        ++seen_;
        return !outcome.cancelled;
    }

    void Failed(const fs::path& path, int err) {
        outcome.failures.push_back(path.string() + ": " + std::strerror(err));
    }

    bool copy_;
    const TransferHooks& hooks_;
    size_t total_;
    size_t seen_ = 0;
    bool yesToAll_ = false;
};

} // namespace

std::vector<std::string> SplitSourceList(std::string_view list) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t end = list.find(';', pos);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > pos)
            out.emplace_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

TransferOutcome TransferPaths(const std::vector<std::string>& sources, const fs::path& destDir,
                              bool copy, const TransferHooks& hooks) {
    size_t total = 0;
    for (const std::string& source : sources)
        total += CountFiles(source);
    Transfer transfer(copy, hooks, total);
    for (const std::string& source : sources) {
        transfer.One(fs::path(DropTrailingSeparator(source)), destDir);
        if (transfer.outcome.cancelled)
            break;
    }
    return transfer.outcome;
}
