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

TEST(SingleInstance, AnUnusableRuntimeFolderFallsBackToTmp) {
    TempDir program, runtime;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string before = saved ? saved : "";
    for (const std::filesystem::path& folder :
         {runtime / "missing", runtime.Write("a-file", "x")}) {
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        SingleInstance first(program.path());
        EXPECT_TRUE(first.Acquired()) << folder;
        EXPECT_FALSE(first.HeldElsewhere()) << folder;
        EXPECT_EQ(first.LockPath().rfind("/tmp/", 0), 0u) << first.LockPath();
        // Only the lock that the first copy holds ends the second.
        SingleInstance second(program.path());
        EXPECT_FALSE(second.Acquired());
        EXPECT_TRUE(second.HeldElsewhere());
    }
    if (saved)
        setenv("XDG_RUNTIME_DIR", before.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
