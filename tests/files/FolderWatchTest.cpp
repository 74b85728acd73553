// The watch thread without the user-interface timer. The thread is held inside its
// report while the folder changes, so that the changes and the folder's end land in
// one read, whatever the scheduler does.
#include "files/FolderWatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace fs = std::filesystem;

TEST(FolderWatch, ChangesReadWithTheEndOfTheFolderAreReportedFirst) {
    TempDir parent;
    const fs::path folder = parent / "NC";
    fs::create_directory(folder);
    std::ofstream(folder / "B.NC") << "B";
    std::mutex mutex;
    std::condition_variable changed;
    int reports = 0;
    bool held = true;
    FolderWatch watch([&](std::uint64_t) {
        std::unique_lock lock(mutex);
        ++reports;
        changed.notify_all();
        changed.wait(lock, [&] { return !held; });
    });
    watch.Follow(folder.string());
    ASSERT_TRUE(watch.Watching());
    std::ofstream(folder / "A.NC") << "A";
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return reports == 1; }));
    // Both files and then their folder go while the thread reports the first change.
    fs::remove_all(folder);
    held = false;
    changed.notify_all();
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return reports == 2; }));
    lock.unlock();
    watch.Stop();
    EXPECT_FALSE(watch.Watching());
}
