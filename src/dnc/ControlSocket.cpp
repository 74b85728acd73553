#include "dnc/ControlSocket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr size_t kLineLimit = 65536;
constexpr int kClientWaitMs = 1000;

bool FillAddress(const std::string& path, sockaddr_un& address, std::string* error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        *error = "ソケットのパスが長すぎます: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int Connect(const std::string& path, std::string* error) {
    sockaddr_un address;
    if (!FillAddress(path, address, error))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = path + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::string RuntimeFolder() {
    for (const char* name : {"RUNTIME_DIRECTORY", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        if (value && *value == '/') {
            std::string folder(value);
            // systemd lists several folders separated by ":" when a unit has several.
            return folder.substr(0, folder.find(':'));
        }
    }
    return "/tmp";
}

std::string ControlSocketPath(const std::string& folder) {
    return folder + "/dravik-dnc.sock";
}

std::string StatusRequest() {
    return "status\n";
}

std::string QueueRequest(const std::string& machine, const std::vector<std::string>& files) {
    std::string line = "queue\t" + machine;
    for (const std::string& file : files)
        line += "\t" + file;
    return line + "\n";
}

std::string ClearRequest(const std::string& machine) {
    return "clear\t" + machine + "\n";
}

std::vector<std::string> SplitRequest(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

int ListenControlSocket(const std::string& path, std::string* error) {
    sockaddr_un address;
    if (!FillAddress(path, address, error))
        return -1;
    std::string probe;
    const int live = Connect(path, &probe);
    if (live >= 0) {
        ::close(live);
        *error = "サーバーがすでに動いています: " + path;
        return -1;
    }
    ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    // Nobody but the user and the group may connect, also not for the moment
    // between bind and chmod.
    const mode_t old = ::umask(007);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(old);
    if (!bound || ::chmod(path.c_str(), 0660) != 0 || ::listen(fd, 16) != 0) {
        *error = path + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

bool AskServer(const std::string& path, const std::string& request, std::string& answer,
               std::string* error) {
    const int fd = Connect(path, error);
    if (fd < 0)
        return false;
    WriteAll(fd, request);
    ::shutdown(fd, SHUT_WR);
    answer.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

bool ReadRequestLine(int fd, std::string& line) {
    line.clear();
    char buffer[4096];
    while (line.find('\n') == std::string::npos && line.size() < kLineLimit) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kClientWaitMs) <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        line.append(buffer, size_t(n));
    }
    return !line.empty() && line.size() < kLineLimit;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes.remove_prefix(size_t(n));
    }
}
