// A listening TCP socket on the loopback that never accepts: the kernel takes
// the connections (up to its backlog) and the data (up to its receive buffer),
// and nothing ever answers. Tests use it as a device server that says nothing.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

class LocalListener {
public:
    // A receive buffer of 0 keeps the system's size.
    explicit LocalListener(int backlog = 8, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        address_.sin_family = AF_INET;
        address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address_;
        if (::bind(fd_, Address(), sizeof address_) == 0 && ::listen(fd_, backlog) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address_), &length) == 0)
            port_ = ntohs(address_.sin_port);
    }
    ~LocalListener() { ::close(fd_); }
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    bool Ok() const { return port_ != 0; }
    int Port() const { return port_; }
    std::string Target(const char* scheme) const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
    }
    const sockaddr* Address() const { return reinterpret_cast<const sockaddr*>(&address_); }

private:
    int fd_ = -1;
    int port_ = 0;
    sockaddr_in address_{};
};
