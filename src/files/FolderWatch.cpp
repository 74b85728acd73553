#include "files/FolderWatch.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File names only, as the list shows files: creation, deletion and both halves of a
// rename; the folder's own end (removed, moved away, unmounted) ends the watch.
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kEndEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// inotify sees only the changes made on this machine; on a network share another
// PC writes as well, so the folder's own time is compared this often, too.
constexpr int kRemotePollMs = 2000;

bool OnNetworkShare(const std::string& folder) {
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE (sshfs and the like)
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
        return true;
    default:
        return false;
    }
}

// The folder's modification and change times: a name added, removed or renamed
// moves them. Zero when the folder cannot be read.
std::pair<std::int64_t, std::int64_t> FolderStamp(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return {0, 0};
    return {st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

} // namespace

FolderWatch::FolderWatch(Notify onChange, ShareTest onShare)
    : onChange_(std::move(onChange)),
      onShare_(onShare ? std::move(onShare) : ShareTest(OnNetworkShare)) {}

FolderWatch::~FolderWatch() {
    Stop();
}

void FolderWatch::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    Wake();
    if (thread_.joinable())
        thread_.join();
    if (inotify_ >= 0)
        ::close(inotify_);
    if (wake_ >= 0)
        ::close(wake_);
    inotify_ = wake_ = wd_ = -1;
    watching_ = false;
    std::lock_guard lock(mutex_);
    watched_.clear();
}

void FolderWatch::Follow(const std::string& folder) {
    {
        // Under the lock: a thread that is about to end has said so, or it takes
        // this folder at its next look.
        std::lock_guard lock(mutex_);
        if (watching_) {
            if (wanted_ != folder) {
                wanted_ = folder;
                Wake();
            }
            return;
        }
    }
    // The last watch ended with its folder (or none ran yet): a new one.
    Stop();
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::lock_guard lock(mutex_);
    stop_ = false;
    endSeen_ = false;
    wanted_ = folder;
    if (inotify_ < 0 || wake_ < 0 || !Arm())
        return; // a missing folder: no watch, as when its request fails
    watching_ = true;
    thread_ = std::thread([this] { Run(); });
}

std::uint64_t FolderWatch::OwnListingStarts() {
    std::lock_guard lock(mutex_);
    if (watching_ && Drain().ended)
        Wake(); // the thread ends or moves on
    if (remote_)
        stamp_ = FolderStamp(watched_);
    return ++epoch_;
}

std::uint64_t FolderWatch::Epoch() const {
    std::lock_guard lock(mutex_);
    return epoch_;
}

std::string FolderWatch::Watched() const {
    std::lock_guard lock(mutex_);
    return watched_;
}

void FolderWatch::Wake() {
    if (wake_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_, &one, sizeof one);
    }
}

bool FolderWatch::Arm() {
    if (wd_ >= 0)
        ::inotify_rm_watch(inotify_, wd_); // its IN_IGNORED is told apart by descriptor
    wd_ = ::inotify_add_watch(inotify_, wanted_.c_str(), kNameEvents | kEndEvents | IN_ONLYDIR);
    watched_ = wd_ >= 0 ? wanted_ : std::string();
    remote_ = wd_ >= 0 && onShare_(watched_);
    if (remote_)
        stamp_ = FolderStamp(watched_);
    return wd_ >= 0;
}

FolderWatch::Read FolderWatch::Drain() {
    Read result;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        ssize_t n = ::read(inotify_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // EAGAIN: nothing more queued
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                result.changed = true; // changes were lost: list to be sure
                continue;
            }
            if (event->wd != wd_)
                continue; // an earlier folder of this watch
            if (event->mask & kEndEvents)
                result.ended = true;
            else if ((event->mask & kNameEvents) && !(event->mask & IN_ISDIR))
                result.changed = true;
        }
    }
    if (result.ended) {
        ::inotify_rm_watch(inotify_, wd_);
        wd_ = -1;
        watched_.clear();
        endSeen_ = true;
    }
    return result;
}

void FolderWatch::Run() {
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard lock(mutex_);
            if (remote_)
                timeout = kRemotePollMs;
        }
        pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
            break;
        std::uint64_t epoch = 0;
        bool changed = false;
        bool ends = false;
        {
            std::lock_guard lock(mutex_);
            if (fds[1].revents & POLLIN) {
                std::uint64_t count;
                [[maybe_unused]] ssize_t n = ::read(wake_, &count, sizeof count);
            }
            if (stop_)
                break;
            const Read read = Drain();
            changed = read.changed;
            epoch = epoch_;
            ends = !Rearm(changed);
            if (ends)
                watching_ = false;
        }
        // What was read with the folder's end is reported before the watch ends:
        // files deleted just before their folder went are gone from the list too.
        if (changed && onChange_)
            onChange_(epoch);
        if (ends)
            break;
    }
    watching_ = false;
}

bool FolderWatch::Rearm(bool& changed) {
    // The folder's watch ended: the watch goes on only where the working directory
    // of this moment can be watched (it moved on, or the folder stands there again);
    // a folder that is gone ends it.
    if (endSeen_) {
        endSeen_ = false;
        if (!Arm())
            return false;
    }
    if (remote_) {
        const auto stamp = FolderStamp(watched_);
        if (stamp == std::pair<std::int64_t, std::int64_t>{})
            return false; // removed from another machine: the watch ends
        changed = changed || stamp != stamp_;
        stamp_ = stamp;
    }
    // The next request is made for the folder of this moment.
    return wanted_ == watched_ || Arm();
}
