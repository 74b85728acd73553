#include "platform/HandOver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr std::string_view kRequestMagic = "DRVK";
constexpr std::string_view kReplyMagic = "DRVA";
constexpr std::size_t kMaxReason = 65536;

void PutNumber(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutBytes(std::string& out, std::string_view bytes) {
    PutNumber(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}

// Reads the message from its front; every step false when the bytes run out.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : rest_(bytes) {}
    bool Number(std::uint32_t& value) {
        if (rest_.size() < 4)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(rest_[std::size_t(i)]);
        rest_.remove_prefix(4);
        return true;
    }
    bool Byte(std::uint8_t& value) {
        if (rest_.empty())
            return false;
        value = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return true;
    }
    bool Bytes(std::size_t count, std::string& out) {
        if (rest_.size() < count)
            return false;
        out.assign(rest_.substr(0, count));
        rest_.remove_prefix(count);
        return true;
    }
    bool Magic(std::string_view magic, bool& wrong) {
        const std::size_t have = std::min(rest_.size(), magic.size());
        wrong = rest_.substr(0, have) != magic.substr(0, have);
        if (wrong || have < magic.size())
            return false;
        rest_.remove_prefix(magic.size());
        return true;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool FillAddress(const std::string& path, sockaddr_un& address, std::string* error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        if (error)
            *error = path + ": " + std::strerror(ENAMETOOLONG);
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// The user at the other end of a connected socket is this process's user.
bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLOUT, 0};
            if (::poll(&wait, 1, 1000) <= 0)
                return false;
            continue;
        }
        if (sent <= 0)
            return false;
        bytes.remove_prefix(std::size_t(sent));
    }
    return true;
}

} // namespace

std::string HandOverSocketPath(const std::string& lockPath) {
    constexpr std::string_view lock = ".lock";
    if (lockPath.size() >= lock.size() &&
        lockPath.compare(lockPath.size() - lock.size(), lock.size(), lock) == 0)
        return lockPath.substr(0, lockPath.size() - lock.size()) + ".sock";
    return lockPath + ".sock";
}

std::string EncodeHandOverRequest(const std::vector<std::string>& paths) {
    std::string out(kRequestMagic);
    PutNumber(out, static_cast<std::uint32_t>(paths.size()));
    for (const std::string& path : paths)
        PutBytes(out, path);
    return out;
}

HandOverDecode DecodeHandOverRequest(std::string_view bytes, std::vector<std::string>& paths) {
    Cursor cursor(bytes);
    bool wrong = false;
    if (!cursor.Magic(kRequestMagic, wrong))
        return wrong ? HandOverDecode::Malformed : HandOverDecode::NeedMore;
    std::uint32_t count = 0;
    if (!cursor.Number(count))
        return HandOverDecode::NeedMore;
    if (count > kMaxHandedFiles)
        return HandOverDecode::Malformed;
    std::vector<std::string> decoded(count);
    for (std::string& path : decoded) {
        std::uint32_t size = 0;
        if (!cursor.Number(size))
            return HandOverDecode::NeedMore;
        // A path holds no NUL: it would name another file at the system call.
        if (size == 0 || size > kMaxHandedPath)
            return HandOverDecode::Malformed;
        if (!cursor.Bytes(size, path))
            return HandOverDecode::NeedMore;
        if (path.find('\0') != std::string::npos)
            return HandOverDecode::Malformed;
    }
    if (!cursor.AtEnd())
        return HandOverDecode::Malformed;
    paths = std::move(decoded);
    return HandOverDecode::Done;
}

std::string EncodeHandOverReply(const std::vector<HandOverAnswer>& answers) {
    std::string out(kReplyMagic);
    PutNumber(out, static_cast<std::uint32_t>(answers.size()));
    for (const HandOverAnswer& answer : answers) {
        out.push_back(static_cast<char>(answer.status));
        PutBytes(out, std::string_view(answer.reason).substr(0, kMaxReason));
    }
    return out;
}

HandOverDecode DecodeHandOverReply(std::string_view bytes, std::vector<HandOverAnswer>& answers) {
    Cursor cursor(bytes);
    bool wrong = false;
    if (!cursor.Magic(kReplyMagic, wrong))
        return wrong ? HandOverDecode::Malformed : HandOverDecode::NeedMore;
    std::uint32_t count = 0;
    if (!cursor.Number(count))
        return HandOverDecode::NeedMore;
    if (count > kMaxHandedFiles)
        return HandOverDecode::Malformed;
    std::vector<HandOverAnswer> decoded(count);
    for (HandOverAnswer& answer : decoded) {
        std::uint8_t status = 0;
        std::uint32_t size = 0;
        if (!cursor.Byte(status))
            return HandOverDecode::NeedMore;
        if (status > static_cast<std::uint8_t>(HandOverStatus::Failed))
            return HandOverDecode::Malformed;
        answer.status = static_cast<HandOverStatus>(status);
        if (!cursor.Number(size))
            return HandOverDecode::NeedMore;
        if (size > kMaxReason)
            return HandOverDecode::Malformed;
        if (!cursor.Bytes(size, answer.reason))
            return HandOverDecode::NeedMore;
    }
    if (!cursor.AtEnd())
        return HandOverDecode::Malformed;
    answers = std::move(decoded);
    return HandOverDecode::Done;
}

HandOverListener::HandOverListener(std::string socketPath) : path_(std::move(socketPath)) {
    sockaddr_un address{};
    if (!FillAddress(path_, address, &error_))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = SystemError("socket");
        return;
    }
    // The lock is ours, so a socket of that name was left by a copy that died.
    ::unlink(path_.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path_.c_str(), 0600) != 0 || ::listen(fd, 8) != 0) {
        error_ = SystemError(path_.c_str());
        ::close(fd);
        ::unlink(path_.c_str());
        return;
    }
    fd_ = fd;
}

HandOverListener::~HandOverListener() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(path_.c_str());
}

int HandOverListener::Accept() {
    if (fd_ < 0)
        return -1;
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0)
            return -1;
        if (PeerIsThisUser(fd))
            return fd;
        ::close(fd);
    }
}

HandOverConnection::~HandOverConnection() {
    if (fd_ >= 0)
        ::close(fd_);
}

HandOverDecode HandOverConnection::Read(std::vector<std::string>& paths) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (got <= 0) {
            const HandOverDecode decoded = DecodeHandOverRequest(received_, paths);
            return decoded == HandOverDecode::Done ? decoded : HandOverDecode::Malformed;
        }
        received_.append(buffer, std::size_t(got));
        if (received_.size() > 8 + kMaxHandedFiles * (4 + kMaxHandedPath))
            return HandOverDecode::Malformed;
    }
    return DecodeHandOverRequest(received_, paths);
}

bool HandOverConnection::Reply(const std::vector<HandOverAnswer>& answers) {
    return SendAll(fd_, EncodeHandOverReply(answers));
}

bool HandFilesOver(const std::string& socketPath, const std::vector<std::string>& paths,
                   std::vector<HandOverAnswer>& answers, std::string* error) {
    sockaddr_un address{};
    if (!FillAddress(socketPath, address, error))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error)
            *error = SystemError("socket");
        return false;
    }
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        ::close(fd);
        return false;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail(SystemError(socketPath.c_str()));
    // In /tmp another user could have put a socket of that name there first.
    if (!PeerIsThisUser(fd))
        return fail(socketPath + ": 別のユーザーのソケットです");
    if (!SendAll(fd, EncodeHandOverRequest(paths)))
        return fail(SystemError("send"));
    // The answer comes when the running copy has taken the files, which may wait for
    // the operator's answer to a replace question: no time limit here.
    std::string received;
    char buffer[4096];
    for (;;) {
        const HandOverDecode decoded = DecodeHandOverReply(received, answers);
        if (decoded == HandOverDecode::Malformed)
            return fail("実行中のDravikの応答が不正です");
        if (decoded == HandOverDecode::Done)
            break;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(SystemError("recv"));
        if (got == 0)
            return fail("実行中のDravikが応答せずに接続を閉じました");
        received.append(buffer, std::size_t(got));
    }
    ::close(fd);
    if (answers.size() != paths.size()) {
        if (error)
            *error = "実行中のDravikの応答が不正です";
        return false;
    }
    return true;
}
