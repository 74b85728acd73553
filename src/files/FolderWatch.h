// FolderWatch: a thread that waits for file names to appear, vanish or change in one
// folder (inotify; on a network share also the folder's times every two seconds,
// since inotify misses what other machines write) and reports each burst it reads
// through a callback, from its own thread. The folder is handed over by the
// user-interface thread (Follow) under a lock; the thread never reads the settings.
// The watch ends by itself when its folder is removed, moved away or unmounted, and
// the destructor stops and joins the thread, so it never outlives its owner.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

class FolderWatch {
public:
    // Called on the watch thread with the listing epoch current when the change was
    // read (see OwnListingStarts).
    using Notify = std::function<void(std::uint64_t epoch)>;
    // Whether a folder lies on a network share, whose changes from other machines
    // are found by comparing the folder's times; empty: the file system's type says.
    using ShareTest = std::function<bool(const std::string& folder)>;

    explicit FolderWatch(Notify onChange, ShareTest onShare = {});
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches folder from now on: moves a running watch over, or starts a new one
    // when none runs (never started, or ended with its folder).
    void Follow(const std::string& folder);
    // A listing of the program itself is about to read the folder: changes already
    // made are in it, so the queued events are dropped and the epoch moves on. A
    // callback carrying an older epoch reports nothing the listing missed.
    std::uint64_t OwnListingStarts();
    std::uint64_t Epoch() const;
    // The folder is watched; false as soon as the thread has decided to end (it
    // may still be reporting what it read last).
    bool Watching() const { return watching_; }
    // The folder the running watch was set on; empty when none.
    std::string Watched() const;
    void Stop();

private:
    struct Read {
        bool changed = false;
        bool ended = false;
    };
    void Run();
    // Reads what is queued on the descriptor (under the lock).
    Read Drain();
    // Puts the watch on wanted_ (under the lock); false when it cannot be watched.
    bool Arm();
    // After a read (under the lock): moves the watch on where it must go and adds
    // what a network share's times tell to changed; false when the watch ends.
    bool Rearm(bool& changed);
    void Wake();

    Notify onChange_;
    ShareTest onShare_;
    mutable std::mutex mutex_;
    std::thread thread_;
    int inotify_ = -1;
    int wake_ = -1;
    int wd_ = -1;
    std::string wanted_;
    std::string watched_;
    std::uint64_t epoch_ = 0;
    bool stop_ = false;
    bool endSeen_ = false;
    bool remote_ = false;                           // a network share: polled as well
    std::pair<std::int64_t, std::int64_t> stamp_{}; // its times at the last look
    std::atomic<bool> watching_{false};
};
