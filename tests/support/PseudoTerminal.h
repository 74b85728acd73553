// A pseudo-terminal pair for serial tests: the program opens the slave by its
// path, as it would a serial device; the test plays the far end on the master.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <unistd.h>

class PseudoTerminal {
public:
    PseudoTerminal() {
        int slave = -1;
        char name[128] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            slavePath_ = name;
            ::close(slave);
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    // The far end sends bytes.
    bool Send(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    // The far end receives up to count bytes, waiting at most timeoutMs for each.
    std::string Receive(size_t count, int timeoutMs = 2000) {
        std::string got;
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                break;
            }
            char buffer[4096];
            ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) {
                break;
            }
            got.append(buffer, size_t(n));
        }
        return got;
    }
    // Whether anything the program wrote waits at the far end now.
    bool Pending() {
        pollfd p{master_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};
