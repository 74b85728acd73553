// One running copy per program folder: an advisory lock on a file in the runtime
// folder (else /tmp), held for the life of the process and freed by the kernel if
// it dies.
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
    // Another process holds the lock: the one case in which this copy must not run.
    // A lock that could be taken nowhere (no folder writable) lets the program start.
    bool HeldElsewhere() const { return heldElsewhere_; }
    const std::string& LockPath() const { return path_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
    std::string path_;
};
