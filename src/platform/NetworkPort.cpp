#include "platform/NetworkPort.h"

#include "platform/LineRate.h"
#include "platform/Rfc2217.h"
#include "platform/SerialSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How long the check of `ports` waits for the server to report its modem lines.
constexpr int kModemStateWaitMs = 1000;
// The modem-line read takes the server's notices off the socket at most this
// often; every read of data takes them too, and the server itself reports a
// change only some milliseconds after it.
constexpr std::chrono::milliseconds kModemPumpInterval{20};

// A connection failure: errno, or the resolver's code when the name did not resolve.
struct Connection {
    int fd = -1;
    int error = 0;
    int resolverError = 0;
};

int Remaining(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// One address, non-blocking: the wait for the handshake is a poll through the
// serial seam, so that a test sees the timeout it was given.
int ConnectOne(const addrinfo& address, int timeoutMs, int& error) {
    int fd = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = errno;
            CallClose(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        int ready = CallPoll(&p, 1, timeoutMs);
        int soError = 0;
        socklen_t length = sizeof soError;
        if (ready <= 0) {
            error = ready == 0 ? ETIMEDOUT : errno;
        } else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) {
            error = errno;
        } else {
            error = soError;
        }
        if (error != 0) {
            CallClose(fd);
            return -1;
        }
    }
    // One byte per write must leave at once: a DC1 or DC4 is never held back.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    error = 0;
    return fd;
}

Connection Connect(const NetworkTarget& target, int timeoutMs) {
    Connection connection;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    std::string port = std::to_string(target.port);
    connection.resolverError = ::getaddrinfo(target.host.c_str(), port.c_str(), &hints, &addresses);
    if (connection.resolverError != 0) {
        return connection;
    }
    for (addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
        connection.fd = ConnectOne(*a, timeoutMs, connection.error);
        if (connection.fd >= 0) {
            break;
        }
    }
    ::freeaddrinfo(addresses);
    return connection;
}

std::string HostAndPort(const NetworkTarget& target) {
    return target.host + " のポート " + std::to_string(target.port);
}

std::string ConnectFailureReason(const NetworkTarget& target, const Connection& c) {
    if (c.resolverError != 0) {
        return "ホスト名 \"" + target.host +
               "\" が見つかりません。名前かアドレスを確認してください。(" +
               ::gai_strerror(c.resolverError) + ")";
    }
    std::string reason;
    switch (c.error) {
    case ETIMEDOUT:
        reason = HostAndPort(target) + " が " + std::to_string(kConnectTimeoutMs / 1000) +
                 " 秒以内に応答しません。デバイスサーバーの電源とネットワークを確認してください。";
        break;
    case ECONNREFUSED:
        reason = HostAndPort(target) +
                 " は接続を拒否しました。デバイスサーバーのポート番号と設定を確認してください。";
        break;
    case EHOSTUNREACH:
    case ENETUNREACH:
        reason = target.host + " に届きません。ネットワークの接続を確認してください。";
        break;
    default:
        reason = HostAndPort(target) + " に接続できません。";
        break;
    }
    return reason + "(" + std::strerror(c.error) + ")";
}

class NetworkSerialPort final : public SerialPort {
public:
    NetworkSerialPort(int fd, bool telnet) : fd_(fd), telnet_(telnet) {}
    ~NetworkSerialPort() override { CallClose(fd_); }

    // Offers the options and waits for the server's word on the COM port option.
    // False when no word comes in time (the connection may also have dropped).
    bool Negotiate(int timeoutMs) {
        if (!SendRaw(negotiator_.Start(true))) {
            return false;
        }
        return WaitFor([this] { return negotiator_.ComPort() != ComPortState::Unknown; },
                       timeoutMs);
    }
    bool ComPortActive() const { return negotiator_.ComPort() == ComPortState::Accepted; }
    // Sets the modem-state mask and waits up to timeoutMs for the server's
    // notice of its lines, without touching the line's settings.
    void AskModemState(int timeoutMs) {
        if (ComPortActive() && SendMask()) {
            WaitFor([this] { return modemKnown_; }, timeoutMs);
        }
    }

    bool GetCommState(Dcb& dcb) override {
        dcb = dcb_;
        return !gone_;
    }

    bool SetCommState(const Dcb& dcb) override {
        if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.BaudRate <= 0) {
            lastError_ = EINVAL;
            return false;
        }
        if (ComPortActive() && !SendSettings(dcb)) {
            return false;
        }
        dcb_ = dcb;
        unsent_.SetCharacterTime(CharacterTime(dcb));
        return true;
    }

    bool GetCommTimeouts(CommTimeouts& timeouts) override {
        timeouts = timeouts_;
        return true;
    }

    bool SetCommTimeouts(const CommTimeouts& timeouts) override {
        if (timeouts.ReadTotalTimeoutConstant < 0 || timeouts.WriteTotalTimeoutConstant < 0) {
            lastError_ = EINVAL;
            return false;
        }
        timeouts_ = timeouts;
        return true;
    }

    bool SetupComm(int, int) override { return true; }

    // What waits for the socket (the rest of an escaped 0xFF, an answer to the
    // server) stays: cut off, it would break the Telnet stream.
    bool PurgeComm() override {
        input_.clear();
        unsent_.Clear();
        if (!ComPortActive()) {
            return !gone_;
        }
        // Bytes that arrive before the server's answer were read before its purge.
        purgeAnswered_ = false;
        if (!SendRaw(telnet::ComPortCommand(telnet::kPurgeData,
                                            std::string(1, char(telnet::kPurgeBoth))))) {
            return false;
        }
        return WaitAnswered([this] { return purgeAnswered_; });
    }

    bool GetCommModemStatus(unsigned& bits) override {
        // A send asks before every run of bytes; a notice is a few milliseconds
        // old at most when the socket is read only this often.
        if (Clock::now() - pumpedAt_ >= kModemPumpInterval) {
            Pump(0);
        }
        if (!ComPortActive()) {
            // The server's port is set up on the server; nothing reports its lines.
            bits = kModemCts | kModemDsr | kModemRlsd;
            return !gone_;
        }
        if (!modemKnown_) {
            lastError_ = ENOTTY;
            return false;
        }
        bits = modemBits_ & (kModemCts | kModemDsr | kModemRlsd);
        return true;
    }

    bool ClearCommError(int& outputQueue) override {
        if (gone_) {
            return false;
        }
        Flush();
        int queued = 0;
        if (CallIoctl(fd_, SIOCOUTQ, &queued) != 0) {
            lastError_ = errno;
            return false;
        }
        outputQueue = queued + static_cast<int>(pending_.size());
        return true;
    }

    int BytesInFlight() override { return unsent_.Count(UnsentBytes::Clock::now()); }

    // Data already taken off the socket would not wake a sleeper on it: then there
    // is nothing to sleep on, and the caller reads at once.
    int PollHandle() const override { return input_.empty() && !gone_ ? fd_ : -1; }

    ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count, bool wait) override {
        count = 0;
        if (input_.empty()) {
            int timeoutMs = wait ? timeouts_.ReadTotalTimeoutConstant : 0;
            WaitFor([this] { return !input_.empty(); }, timeoutMs);
        }
        if (input_.empty()) {
            return gone_ ? ReadResult::Failed : ReadResult::Nothing;
        }
        count = std::min(size, input_.size());
        std::memcpy(buffer, input_.data(), count);
        input_.erase(0, count);
        return ReadResult::Byte;
    }

    WriteResult WriteFile(unsigned char byte) override {
        size_t written = 0;
        return WriteBytes(&byte, 1, written);
    }

    // A run the socket takes in part is taken whole: the rest waits in pending_
    // and goes first on the next call, so that an escaped 0xFF is never split.
    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        written = 0;
        if (gone_) {
            return WriteResult::Failed;
        }
        const int waitMs = timeouts_.WriteTotalTimeoutConstant;
        Flush();
        // What an earlier call left (the rest of a run, an answer to the
        // server) goes first.
        if (!pending_.empty() && !(waitMs > 0 && WaitWritable(waitMs))) {
            return gone_ ? WriteResult::Failed : WriteResult::WouldBlock;
        }
        const std::string_view bytes(reinterpret_cast<const char*>(data), size);
        pending_ = telnet_ ? telnet::Escape(bytes) : std::string(bytes);
        const size_t escaped = pending_.size();
        Flush();
        if (!gone_ && pending_.size() == escaped && !(waitMs > 0 && WaitWritable(waitMs))) {
            pending_.clear(); // not taken at all: the caller tries the run again
            return gone_ ? WriteResult::Failed : WriteResult::WouldBlock;
        }
        if (gone_) {
            return WriteResult::Failed;
        }
        written = size;
        unsent_.Written(UnsentBytes::Clock::now(), size);
        return WriteResult::Written;
    }

    bool WaitWritable(int timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pollfd p{fd_, POLLOUT, 0};
            int ready = CallPoll(&p, 1, Remaining(deadline));
            if (ready < 0) {
                lastError_ = errno;
                return false;
            }
            if (ready == 0 || (p.revents & POLLOUT) == 0) {
                return false;
            }
            Flush();
            if (pending_.empty() || gone_) {
                return !gone_;
            }
        }
    }

    void DiscardOutput() override {
        pending_.clear();
        unsent_.Clear();
    }

    int LastError() const override { return lastError_; }

private:
    using ComPortState = telnet::Negotiator::ComPortState;

    // Sends the settings and waits until the server has answered every one; an
    // answer with another value than asked means the server's port refused it.
    bool SendSettings(const Dcb& dcb) {
        std::vector<telnet::ComPortSetting> asked = telnet::ComPortSettingsFor(dcb);
        std::string commands;
        for (const auto& setting : asked) {
            commands += telnet::ComPortCommand(setting.command, setting.value);
        }
        // DTR and RTS go last and unanswered: a port without modem control (a
        // pseudo-terminal behind the server) cannot say yes to them.
        for (const auto& setting : telnet::LineControlSettingsFor(dcb)) {
            commands += telnet::ComPortCommand(setting.command, setting.value);
        }
        answers_.clear();
        if (!SendRaw(commands) || !WaitAnswered([&] { return answers_.size() >= asked.size(); })) {
            return false;
        }
        for (size_t i = 0; i < asked.size(); ++i) {
            if (!telnet::AnswerConfirms(asked[i], answers_[i])) {
                lastError_ = EINVAL;
                return false;
            }
        }
        // The mask goes after the answers: a server may hold back the answer
        // to the command that follows it.
        return SendMask();
    }

    bool SendMask() {
        if (!maskSent_) {
            maskSent_ = SendRaw(telnet::ComPortCommand(
                telnet::kSetModemStateMask, std::string(1, char(telnet::kModemStateMask))));
        }
        return maskSent_;
    }

    template <typename Done>
    bool WaitAnswered(Done done) {
        if (WaitFor(done, kServerAnswerTimeoutMs)) {
            return true;
        }
        if (!gone_) {
            lastError_ = ETIMEDOUT;
        }
        return false;
    }

    // Reads until done() holds, the connection drops, or a wait of timeoutMs
    // passes without it. A poll that ends empty ends the wait, so that a test
    // that cuts the poll short is not left spinning until the real deadline.
    template <typename Done>
    bool WaitFor(Done done, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (gone_ || Pump(Remaining(deadline)) == 0) {
                return done();
            }
        }
        return true;
    }

    // One poll and one read; handles what the read brought. The number of bytes
    // read, 0 when none came (or the connection has gone).
    ssize_t Pump(int timeoutMs) {
        if (gone_) {
            return 0;
        }
        pumpedAt_ = Clock::now();
        pollfd p{fd_, POLLIN, 0};
        int ready = CallPoll(&p, 1, timeoutMs);
        if (ready < 0) {
            lastError_ = errno;
            return 0;
        }
        if (ready == 0) {
            return 0;
        }
        char buffer[4096];
        ssize_t n = CallRead(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return 0;
        }
        if (n <= 0) {
            // An orderly close by the server is a dropped line all the same.
            Gone(n < 0 ? errno : ECONNRESET);
            return 0;
        }
        Take(std::string_view(buffer, static_cast<size_t>(n)));
        return n;
    }

    void Take(std::string_view bytes) {
        if (!telnet_) {
            input_.append(bytes);
            return;
        }
        std::string data;
        std::vector<telnet::Event> events;
        decoder_.Feed(bytes, data, events);
        size_t kept = 0; // data before a purge answer is dropped
        for (const auto& event : events) {
            if (event.kind == telnet::Event::Kind::Negotiation) {
                SendRaw(negotiator_.Answer(event.verb, event.option));
            } else if (event.command == telnet::kNotifyModemState + telnet::kServerOffset) {
                if (!event.value.empty()) {
                    modemBits_ = static_cast<unsigned char>(event.value[0]);
                    modemKnown_ = true;
                }
            } else if (event.command == telnet::kPurgeData + telnet::kServerOffset) {
                purgeAnswered_ = true;
                input_.clear();
                kept = event.at;
            } else if (event.command > telnet::kServerOffset) {
                answers_.push_back(event);
            }
        }
        input_.append(data, kept);
    }

    bool SendRaw(const std::string& bytes) {
        if (bytes.empty()) {
            return !gone_;
        }
        pending_ += bytes;
        Flush();
        return !gone_;
    }

    // Writes what is pending as far as the socket takes it now.
    void Flush() {
        while (!pending_.empty() && !gone_) {
            ssize_t n = CallSend(fd_, pending_.data(), pending_.size());
            if (n > 0) {
                pending_.erase(0, static_cast<size_t>(n));
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            } else {
                Gone(n < 0 ? errno : EPIPE);
            }
        }
    }

    void Gone(int error) {
        gone_ = true;
        lastError_ = error;
        pending_.clear();
    }

    int fd_;
    bool telnet_;
    bool gone_ = false;
    int lastError_ = 0;
    Dcb dcb_;
    CommTimeouts timeouts_;
    UnsentBytes unsent_;
    telnet::Decoder decoder_;
    telnet::Negotiator negotiator_;
    std::string input_;   // received data not yet handed out
    std::string pending_; // bytes for the socket that it has not taken yet
    std::vector<telnet::Event> answers_;
    bool purgeAnswered_ = false;
    bool maskSent_ = false;
    bool modemKnown_ = false;
    unsigned modemBits_ = 0;
    Clock::time_point pumpedAt_{};
};

struct Opened {
    std::unique_ptr<NetworkSerialPort> port;
    int error = 0;
    std::string reason;
    std::string warning;
};

Opened Open(const std::string& text, int connectTimeoutMs) {
    Opened opened;
    std::optional<NetworkTarget> target = ParseNetworkTarget(text);
    if (!target) {
        opened.error = EINVAL;
        opened.reason =
            "ネットワークポートの指定が正しくありません。rfc2217://ホスト:ポート または "
            "tcp://ホスト:ポート の形で指定してください。";
        return opened;
    }
    Connection connection = Connect(*target, connectTimeoutMs);
    if (connection.fd < 0) {
        opened.error = connection.resolverError != 0 ? EHOSTUNREACH : connection.error;
        opened.reason = ConnectFailureReason(*target, connection);
        return opened;
    }
    bool telnet = target->kind == NetworkKind::Rfc2217;
    auto port = std::make_unique<NetworkSerialPort>(connection.fd, telnet);
    if (telnet && !port->Negotiate(kServerAnswerTimeoutMs)) {
        opened.error = port->LastError() != 0 ? port->LastError() : ETIMEDOUT;
        opened.reason = port->LastError() != 0
                            ? HostAndPort(*target) + " は接続の直後に切断しました。(" +
                                  std::strerror(port->LastError()) + ")"
                            : HostAndPort(*target) + " に接続しましたが、" +
                                  std::to_string(kServerAnswerTimeoutMs / 1000) +
                                  " 秒以内に RFC 2217 の応答がありません。デバイスサーバーの設定 "
                                  "(telnet(rfc2217) か raw TCP か) を確認してください。";
        return opened;
    }
    if (telnet && !port->ComPortActive()) {
        opened.warning = text + ": デバイスサーバーが RFC 2217 (COM-PORT-OPTION) "
                                "を拒否しました。通信条件はサーバー側の設定のまま、制御信号は常にオ"
                                "ンとして使用します。";
    }
    opened.port = std::move(port);
    return opened;
}

} // namespace

PortOpenResult OpenNetworkPort(const std::string& target) {
    Opened opened = Open(target, kConnectTimeoutMs);
    PortOpenResult result;
    result.error = opened.error;
    result.port = std::move(opened.port);
    result.warning = std::move(opened.warning);
    if (!result.port) {
        result.detail = target + ": " + opened.reason;
    }
    return result;
}

bool ProbeNetworkPort(const std::string& target) {
    std::optional<NetworkTarget> parsed = ParseNetworkTarget(target);
    if (!parsed) {
        return false;
    }
    Connection connection = Connect(*parsed, kProbeConnectTimeoutMs);
    if (connection.fd < 0) {
        return false;
    }
    CallClose(connection.fd);
    return true;
}

NetworkCheck CheckNetworkPort(const std::string& target) {
    NetworkCheck check;
    std::optional<NetworkTarget> parsed = ParseNetworkTarget(target);
    check.comPortAsked = parsed && parsed->kind == NetworkKind::Rfc2217;
    Opened opened = Open(target, kConnectTimeoutMs);
    if (!opened.port) {
        check.reason = opened.reason;
        return check;
    }
    check.reachable = true;
    check.comPortAccepted = opened.port->ComPortActive();
    if (check.comPortAccepted) {
        opened.port->AskModemState(kModemStateWaitMs);
    }
    check.modemKnown = opened.port->GetCommModemStatus(check.modemBits);
    return check;
}
