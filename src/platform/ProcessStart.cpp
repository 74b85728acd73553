#include "platform/ProcessStart.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument)
                args.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            // Backslashes are literal unless a quote follows: then each pair gives one
            // backslash and an odd one makes the quote literal.
            size_t run = 0;
            while (i + run < text.size() && text[i + run] == '\\')
                ++run;
            if (i + run < text.size() && text[i + run] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1)
                    current += '"';
                else
                    quoted = !quoted;
                i += run + 1;
            } else {
                current.append(run, '\\');
                i += run;
            }
            continue;
        }
        if (c == '"') {
            // "" inside quotes is one literal quote.
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument)
        args.push_back(std::move(current));
    return args;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string ResolveProgram(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos)
        return std::string(name);
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        size_t colon = dirs.find(':');
        std::string_view dir = dirs.substr(0, colon);
        std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/";
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        dirs.remove_prefix(colon + 1);
    }
}

namespace {

// Only async-signal-safe calls from here to the exec: the program has threads.
[[noreturn]] void ExecInChild(const char* program, char* const* argv, int errorPipe) {
    // Nothing of ours is inherited: an editor that kept the serial line's descriptor
    // would keep the port locked after we closed it.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        struct rlimit limit {};
        int last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                       ? static_cast<int>(limit.rlim_cur)
                       : 65536;
        for (int fd = 3; fd < last; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    // execv, not execvp: a text file with an execute bit must never run as a script.
    ::execv(program, argv);
    int error = errno;
    [[maybe_unused]] ssize_t n = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

class PosixProcessStarter : public ProcessStarter {
public:
    int Start(const std::string& program, const std::vector<std::string>& args) override {
        std::vector<std::string> strings;
        strings.reserve(args.size() + 1);
        strings.push_back(program);
        strings.insert(strings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return errno;
        pid_t child = ::fork();
        if (child < 0) {
            int error = errno;
            ::close(fds[0]);
            ::close(fds[1]);
            return error;
        }
        if (child == 0) {
            // The middle child leaves at once, so the program is nobody's child of
            // ours to wait for, and it has a session of its own.
            ::close(fds[0]);
            ::setsid();
            pid_t grandchild = ::fork();
            if (grandchild == 0)
                ExecInChild(program.c_str(), argv.data(), fds[1]);
            if (grandchild < 0) {
                int error = errno;
                [[maybe_unused]] ssize_t n = ::write(fds[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        // The pipe closes at a successful exec; otherwise it carries the errno.
        int error = 0;
        ssize_t n;
        do {
            n = ::read(fds[0], &error, sizeof error);
        } while (n < 0 && errno == EINTR);
        ::close(fds[0]);
        return n == static_cast<ssize_t>(sizeof error) ? error : 0;
    }
};

} // namespace

ProcessStarter& SystemProcessStarter() {
    static PosixProcessStarter starter;
    return starter;
}
