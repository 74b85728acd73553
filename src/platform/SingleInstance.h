// One running copy per program folder: an advisory lock on a file in the runtime
// folder, held for the life of the process and freed by the kernel if it dies.
#pragma once

#include <filesystem>
#include <string>

class SingleInstance {
public:
    // Tries to take the lock for this program folder; Acquired() tells whether it did.
    explicit SingleInstance(const std::filesystem::path& programFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool Acquired() const { return fd_ >= 0; }
    const std::string& LockPath() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};
