// The real dravik-cli as a child process (DRAVIK_CLI_EXE), as a shell or a
// service manager runs it: stdin from /dev/null, stdout and stderr into files in
// the program folder, DRAVIK_HOME there, no display variable.
#pragma once

#include "support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class CliChild {
public:
    // stderrFd, when given, takes the place of the stderr file (a terminal).
    CliChild(const std::vector<std::string>& args, const std::filesystem::path& home,
             const std::filesystem::path& cwd, int stderrFd = -1,
             const std::vector<std::string>& extraEnv = {})
        : out_(home / ("cli-out" + Sequence() + ".txt")),
          err_(home / ("cli-err" + out_.filename().string().substr(7))) {
        // Everything is prepared before the fork: the child of a process with
        // threads (the simulator's) may only make system calls until exec.
        std::vector<std::string> env = {"DRAVIK_HOME=" + home.string(), "LC_ALL=C.UTF-8",
                                        "HOME=" + home.string(), "PATH=/usr/bin:/bin"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> argv{const_cast<char*>(DRAVIK_CLI_EXE)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        const std::string dir = cwd.string();
        pid_ = ::fork();
        if (pid_ != 0)
            return;
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(stderrFd >= 0 ? stderrFd : err, 2);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::execve(DRAVIK_CLI_EXE, argv.data(), envp.data());
        ::_exit(127);
    }
    ~CliChild() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    void Signal(int sig) { ::kill(pid_, sig); }
    // The exit code; 128 + the signal when the child was killed.
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Out() const { return TempDir::Read(out_); }
    std::string Err() const { return TempDir::Read(err_); }

private:
    // Children that run side by side (a server and its clients) write files of their own.
    static std::string Sequence() {
        static int children = 0;
        return children++ == 0 ? std::string() : "-" + std::to_string(children);
    }

    std::filesystem::path out_;
    std::filesystem::path err_;
    pid_t pid_ = -1;
    bool waited_ = false;
};
