// The real serial device server of the tests and benchmarks: ser2net in front
// of a device (a pseudo-terminal whose other side ncsim plays), on a free local
// port, with its configuration written into a temporary folder. The server runs
// as its own process, so that a test can stop it in the middle of a transfer.
#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

inline constexpr const char* kSer2NetProgram = "/usr/sbin/ser2net";

inline bool Ser2NetInstalled() {
    return ::access(kSer2NetProgram, X_OK) == 0;
}

// A local TCP port that nothing listens on now.
inline int FreeLocalPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// True when a socket listens on the local TCP port (IPv4), read from the kernel's
// table so that asking opens no connection (which would open the device).
inline bool ListeningOn(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local.size() >= 5 && local.substr(local.size() - 5) == wanted && state == "0A")
            return true;
    }
    return false;
}

class Ser2Net {
public:
    enum class Kind { Rfc2217, Telnet, Raw };

    // ser2net serves device on a free port; speed is its configured line.
    Ser2Net(std::string device, Kind kind, std::string speed = "9600n81")
        : device_(std::move(device)), kind_(kind), speed_(std::move(speed)) {
        std::string pattern = (std::filesystem::temp_directory_path() / "ser2net-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~Ser2Net() {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    Ser2Net(const Ser2Net&) = delete;
    Ser2Net& operator=(const Ser2Net&) = delete;

    // Starts the server and waits until it listens; false when it does not.
    bool Start() {
        port_ = FreeLocalPort();
        const char* accepter = kind_ == Kind::Rfc2217  ? "telnet(rfc2217),tcp"
                               : kind_ == Kind::Telnet ? "telnet,tcp"
                                                       : "tcp";
        std::ofstream(dir_ / "ser2net.yaml")
            << "%YAML 1.1\n---\n"
            << "connection: &line\n"
            << "  accepter: " << accepter << ",127.0.0.1," << port_ << "\n"
            << "  connector: serialdev," << device_ << "," << speed_ << ",local\n"
            << "  options:\n"
            << "    kickolduser: true\n"
            // Without it the server holds what the device sends for up to 20
            // character times to fill a packet: a DC3 would come that much later.
            << "    chardelay: false\n";
        const std::string config = (dir_ / "ser2net.yaml").string();
        const std::string log = (dir_ / "ser2net.log").string();
        const std::string pidFile = (dir_ / "ser2net.pid").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execl(kSer2NetProgram, "ser2net", "-n", "-u", "-P", pidFile.c_str(), "-c",
                    config.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The server's own start-up, not the code under test, is waited for.
        for (int i = 0; i < 500 && pid_ > 0; ++i) {
            if (ListeningOn(port_))
                return true;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Ends the server as a power cut or a crash would: the connection drops.
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    int Port() const { return port_; }
    // The section Ports value that reaches this server.
    std::string Target() const {
        return std::string(kind_ == Kind::Raw ? "tcp" : "rfc2217") +
               "://127.0.0.1:" + std::to_string(port_);
    }
    std::string Log() const {
        std::ifstream in(dir_ / "ser2net.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string device_;
    Kind kind_;
    std::string speed_;
    std::filesystem::path dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};
