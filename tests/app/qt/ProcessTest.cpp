// The real program as two processes: a second start with the same program folder
// ends at once with exit code 0, and the first keeps running.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// asNobody runs it as an unprivileged user, for whom a mode-000 file cannot be read.
pid_t StartProgram(const std::filesystem::path& home, bool asNobody = false) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DRAVIK_HOME", home.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (asNobody) {
            unsetenv("XDG_RUNTIME_DIR");
            execl("/usr/bin/setpriv", "setpriv", "--reuid=nobody", "--regid=nogroup",
                  "--clear-groups", DRAVIK_EXE, static_cast<char*>(nullptr));
        } else {
            execl(DRAVIK_EXE, DRAVIK_EXE, static_cast<char*>(nullptr));
        }
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

TEST(Process, ASettingsFileThatCannotBeReadNeverEndsTheProgram) {
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path& ini)> make;
        bool asNobody;
    };
    const Case cases[] = {
        {"a folder", [](const auto& ini) { std::filesystem::create_directory(ini); }, false},
        {"a FIFO", [](const auto& ini) { ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0); }, false},
        {"no read permission",
         [](const auto& ini) {
             std::ofstream(ini) << "[Setting]\r\n";
             std::filesystem::permissions(ini, std::filesystem::perms::none);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir home;
        std::filesystem::permissions(home.path(), std::filesystem::perms::all);
        c.make(home / "Dravik.INI");
        pid_t pid = StartProgram(home.path(), c.asNobody);
        int status = 0;
        // An uncaught read error once aborted it at once.
        EXPECT_FALSE(Exited(pid, &status, 15))
            << "ended with status " << status << (WIFSIGNALED(status) ? " (signal)" : "");
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}
