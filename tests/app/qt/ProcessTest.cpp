// The real program as two processes: a second start with the same program folder
// ends at once with exit code 0, and the first keeps running.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t StartProgram(const std::filesystem::path& home) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DRAVIK_HOME", home.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(DRAVIK_EXE, DRAVIK_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

bool Exited(pid_t pid, int* status, int tenths) {
    for (int i = 0; i < tenths; ++i) {
        if (waitpid(pid, status, WNOHANG) == pid)
            return true;
        usleep(100000);
    }
    return false;
}

} // namespace

TEST(Process, SecondCopyEndsAtOnceAndTheFirstKeepsRunning) {
    TempDir home;
    // Ports mapped to nothing: the test never opens a real serial port.
    home.Write("Dravik.INI", "[Setting]\r\nDirPath=" + home.path().string() +
                                 "\r\n[Ports]\r\nCOM1=/nonexistent/ttyS0\r\n");
    pid_t first = StartProgram(home.path());
    int status = 0;
    // Give the first copy time to take the lock; it must still be running afterwards.
    ASSERT_FALSE(Exited(first, &status, 10));

    pid_t second = StartProgram(home.path());
    ASSERT_TRUE(Exited(second, &status, 100)) << "the second copy did not end";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(Exited(first, &status, 1));

    kill(first, SIGKILL);
    waitpid(first, &status, 0);
}
