// Every flush to the disk that goes through the file-write seam, in order, with
// the flushes of one path failing (EIO) where a test says so. Installed for the
// life of the recorder.
#pragma once

#include "platform/FileWrite.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <vector>

class SyncRecorder {
public:
    SyncRecorder() {
        SetFileSyncHookForTest([this](const std::filesystem::path& path) { return Flush(path); });
    }
    ~SyncRecorder() { SetFileSyncHookForTest(nullptr); }
    SyncRecorder(const SyncRecorder&) = delete;
    SyncRecorder& operator=(const SyncRecorder&) = delete;

    // Flushes of path (a file or a folder) fail with EIO from now on.
    void FailFor(std::filesystem::path path) { failing_ = std::move(path); }
    void Clear() {
        flushed.clear();
        failing_.clear();
    }

    // True when file was flushed and, after that, the folder holding it.
    bool OnDisk(const std::filesystem::path& file) const {
        auto at = std::find(flushed.begin(), flushed.end(), file);
        return at != flushed.end() &&
               std::find(at, flushed.end(), file.parent_path()) != flushed.end();
    }

    // Called at each flush before it happens: a test notes what was already reported.
    std::function<void(const std::filesystem::path&)> onFlush;
    std::vector<std::filesystem::path> flushed;

private:
    int Flush(const std::filesystem::path& path) {
        if (onFlush)
            onFlush(path);
        flushed.push_back(path);
        return !failing_.empty() && path == failing_ ? EIO : 0;
    }

    std::filesystem::path failing_;
};
