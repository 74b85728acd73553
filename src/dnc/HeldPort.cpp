#include "dnc/HeldPort.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <unistd.h>

namespace {

// While the modem lines can move (a real port), a wait looks at them this often.
constexpr int kModemWaitMs = 250;

class LentPort final : public SerialPort {
public:
    LentPort(HeldPort& held, bool keepInput, int coalesceMs)
        : held_(held), port_(held.Port()), keepInput_(keepInput), coalesceMs_(coalesceMs) {}
    ~LentPort() override = default;

    bool GetCommState(Dcb& dcb) override { return port_.GetCommState(dcb); }
    bool SetCommState(const Dcb& dcb) override { return port_.SetCommState(dcb); }
    bool GetCommTimeouts(CommTimeouts& t) override { return port_.GetCommTimeouts(t); }
    bool SetCommTimeouts(const CommTimeouts& t) override {
        readTimeoutMs_ = t.ReadTotalTimeoutConstant;
        return port_.SetCommTimeouts(t);
    }
    bool SetupComm(int in, int out) override { return port_.SetupComm(in, out); }
    bool PurgeComm() override {
        if (!keepInput_) {
            held_.Pending().clear();
            return port_.PurgeComm();
        }
        port_.DiscardOutput();
        return true;
    }
    bool GetCommModemStatus(unsigned& bits) override { return port_.GetCommModemStatus(bits); }
    bool ClearCommError(int& queued) override { return port_.ClearCommError(queued); }
    int BytesInFlight() override { return port_.BytesInFlight(); }
    ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count, bool wait) override {
        std::string& pending = held_.Pending();
        if (!pending.empty()) {
            count = std::min(size, pending.size());
            std::copy_n(pending.begin(), count, buffer);
            pending.erase(0, count);
            return ReadResult::Byte;
        }
        const int fd = port_.PollHandle();
        if (!wait || fd < 0)
            return port_.ReadFile(buffer, size, count, wait);
        count = 0;
        if (gathering_ && coalesceMs_ > 0) {
            // Sleeps like the wait below: the server's stop still ends it at once.
            WaitForInput(-1, held_.Wake(), coalesceMs_);
            const ReadResult gathered = port_.ReadFile(buffer, size, count, false);
            if (gathered != ReadResult::Nothing)
                return gathered;
            gathering_ = false;
        }
        const int timeout = held_.ModemReadable() ? std::max(readTimeoutMs_, kModemWaitMs) : -1;
        if (!WaitForInput(fd, held_.Wake(), timeout)) {
            gathering_ = false;
            return ReadResult::Nothing;
        }
        const ReadResult result = port_.ReadFile(buffer, size, count, false);
        gathering_ = result == ReadResult::Byte;
        return result;
    }
    WriteResult WriteFile(unsigned char byte) override { return port_.WriteFile(byte); }
    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        return port_.WriteBytes(data, size, written);
    }
    bool WaitWritable(int ms) override { return port_.WaitWritable(ms); }
    void DiscardOutput() override { port_.DiscardOutput(); }
    int LastError() const override { return port_.LastError(); }
    // Input held back from an earlier read would not wake a sleeper on the line.
    int PollHandle() const override { return held_.Pending().empty() ? port_.PollHandle() : -1; }

private:
    HeldPort& held_;
    SerialPort& port_;
    bool keepInput_;
    int coalesceMs_;
    int readTimeoutMs_ = 0;
    bool gathering_ = false;
};

} // namespace

HeldPort::HeldPort(std::unique_ptr<SerialPort> port, WakeFds wake)
    : port_(std::move(port)), wake_(wake) {
    unsigned bits = 0;
    modemReadable_ = port_->GetCommModemStatus(bits);
}

std::unique_ptr<SerialPort> HeldPort::Lend(bool keepInput, int coalesceMs) {
    return std::make_unique<LentPort>(*this, keepInput, coalesceMs);
}

ReadResult HeldPort::Peek() {
    unsigned char buffer[4096];
    size_t count = 0;
    const ReadResult result = port_->ReadFile(buffer, sizeof buffer, count, false);
    if (result == ReadResult::Byte)
        pending_.append(reinterpret_cast<const char*>(buffer), count);
    return result;
}

void HeldPort::Purge() {
    pending_.clear();
    port_->PurgeComm();
}

bool WaitForInput(int fd, const WakeFds& wake, int timeoutMs) {
    pollfd fds[3] = {{wake.stop, POLLIN, 0}, {wake.wake, POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 3, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        break;
    }
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t n = ::read(wake.wake, &count, sizeof count);
    }
    // The line first: bytes that came with the stop are still read, the stop
    // itself is seen by the job's next look at its stop state.
    return fd >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}
