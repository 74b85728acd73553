// The real program as two processes: a second start with the same program folder
// ends at once with exit code 0, and the first keeps running; a file given to the
// second start arrives in the first one's working folder, or the second says why not.
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// A start with arguments, its own runtime folder (lock and socket) and its
// standard error into a file.
pid_t StartWith(const std::filesystem::path& home, const std::filesystem::path& runtime,
                std::vector<std::string> args, const std::filesystem::path& errors) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DRAVIK_HOME", home.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0)
            ::dup2(fd, 2);
        std::vector<char*> argv{const_cast<char*>(DRAVIK_EXE)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(DRAVIK_EXE, argv.data());
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

TEST(Process, ASecondStartHandsItsFileToTheFirstOrSaysWhyNot) {
    TempDir home, runtime, downloads;
    std::filesystem::create_directory(home / "work");
    // Ports that open: no start-up box keeps the first copy from taking files.
    PseudoTerminal port;
    ASSERT_TRUE(port.Ok());
    home.Write("Dravik.INI",
               "[Setting]\r\nDirPath=" + (home / "work").string() +
                   "\r\nPort1=COM1\r\nPort2=COM1\r\n[Ports]\r\nCOM1=" + port.SlavePath() + "\r\n");
    const std::filesystem::path file = downloads.Write("O1234.NC", "%\nO1234\nM30\n%\n");
    pid_t first = StartWith(home.path(), runtime.path(), {}, downloads / "first.err");
    // Ends with the test, also when an assertion ends it early.
    struct Ender {
        pid_t pid;
        ~Ender() {
            kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    } ender{first};
    // Ready when its socket stands beside its lock.
    std::filesystem::path socket;
    for (int i = 0; i < 100 && socket.empty(); ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(runtime.path()))
            if (entry.path().extension() == ".sock")
                socket = entry.path();
        if (socket.empty())
            usleep(100000);
    }
    EXPECT_FALSE(socket.empty()) << TempDir::Read(downloads / "first.err");

    struct Case {
        const char* what;
        std::function<void()> before;
        int status;
        bool arrives;
    };
    const Case cases[] = {
        {"the first copy listening", [] {}, 0, true},
        {"its socket gone",
         [&] {
             std::error_code ec;
             std::filesystem::remove(socket, ec);
         },
         1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(home / "work" / "O1234.NC");
        c.before();
        pid_t second =
            StartWith(home.path(), runtime.path(), {file.string()}, downloads / "second.err");
        int status = 0;
        ASSERT_TRUE(Exited(second, &status, 100)) << "the second copy did not end";
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        const std::string errors = TempDir::Read(downloads / "second.err");
        EXPECT_EQ(std::filesystem::exists(home / "work" / "O1234.NC"), c.arrives);
        if (c.arrives) {
            EXPECT_EQ(TempDir::Read(home / "work" / "O1234.NC"), "%\nO1234\nM30\n%\n");
            EXPECT_EQ(errors, "");
        } else {
            EXPECT_NE(errors.find("実行中のDravikにファイルを渡せませんでした。\n" + file.string() +
                                  ": "),
                      std::string::npos)
                << errors;
        }
        // The file handed is never taken away.
        EXPECT_TRUE(std::filesystem::exists(file));
        EXPECT_FALSE(Exited(first, &status, 1)) << "the first copy ended";
    }
}
