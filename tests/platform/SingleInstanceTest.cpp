#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Exit code 1 when a child process got the lock for folder, 0 when it did not.
int ChildAcquires(const std::filesystem::path& folder) {
    pid_t pid = fork();
    if (pid == 0) {
        SingleInstance other(folder);
        _exit(other.Acquired() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WEXITSTATUS(status);
}

} // namespace

TEST(SingleInstance, OneCopyPerProgramFolder) {
    TempDir a, b;
    {
        SingleInstance first(a.path());
        ASSERT_TRUE(first.Acquired());
        EXPECT_EQ(ChildAcquires(a.path()), 0);
        // Another program folder (tests, a portable install) runs side by side.
        EXPECT_EQ(ChildAcquires(b.path()), 1);
    }
    // Released with the first copy.
    EXPECT_EQ(ChildAcquires(a.path()), 1);
}
