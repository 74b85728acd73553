#include "platform/SerialPort.h"

#include "platform/LineRate.h"
#include "platform/SerialSystem.h"

// termios2 (for rates without a B constant, 14400) comes from the kernel's
// headers, which cannot be mixed with glibc's <termios.h>.
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct BaudCode {
    int baud;
    unsigned code;
};

constexpr BaudCode kBaudCodes[] = {{300, B300},       {600, B600},      {1200, B1200},
                                   {2400, B2400},     {4800, B4800},    {9600, B9600},
                                   {19200, B19200},   {38400, B38400},  {57600, B57600},
                                   {115200, B115200}, {230400, B230400}};

void* IoctlValue(unsigned long value) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

int BaudFromTermios(const termios2& t) {
    unsigned code = t.c_cflag & CBAUD;
    if (code == BOTHER) {
        return static_cast<int>(t.c_ospeed);
    }
    for (auto [baud, c] : kBaudCodes) {
        if (c == code) {
            return baud;
        }
    }
    return static_cast<int>(t.c_ospeed);
}

void SetBaud(termios2& t, int baud) {
    unsigned code = BOTHER;
    for (auto [b, c] : kBaudCodes) {
        if (b == baud) {
            code = c;
        }
    }
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= code | (code << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(baud);
    t.c_ospeed = static_cast<speed_t>(baud);
}

// Raw bytes both ways: no echo, no line editing, no CR/LF mapping, no
// stripping of bit 7, no signals. CLOCAL so that a missing carrier never blocks.
void MakeRaw(termios2& t) {
    t.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | IUCLC | IMAXBEL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

unsigned ByteSizeFlag(int byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

int ByteSizeFromFlag(unsigned flag) {
    switch (flag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

int ApplyLineParameters(int fd, const Dcb& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.BaudRate <= 0) {
        return EINVAL;
    }
    termios2 t{};
    if (CallIoctl(fd, TCGETS2, &t) != 0) {
        return errno;
    }
    MakeRaw(t);
    SetBaud(t, dcb.BaudRate);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= ByteSizeFlag(dcb.ByteSize);
    if (dcb.parity != Parity::None) {
        t.c_cflag |= PARENB | (dcb.parity == Parity::Odd ? PARODD : 0);
    }
    // There is no 1.5 stop bits on this platform: the longer setting is safe for a receiver.
    if (dcb.stopBits != StopBits::One) {
        t.c_cflag |= CSTOPB;
    }
    if (dcb.fOutxCtsFlow) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_iflag &= ~(INPCK | IXON | IXOFF);
    t.c_iflag |= (dcb.fParity ? INPCK : 0) | (dcb.fOutX ? IXON : 0) | (dcb.fInX ? IXOFF : 0);
    t.c_cc[VSTART] = dcb.XonChar;
    t.c_cc[VSTOP] = dcb.XoffChar;
    return CallIoctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
}

int ReadLineParameters(int fd, Dcb& dcb) {
    termios2 t{};
    if (CallIoctl(fd, TCGETS2, &t) != 0) {
        return errno;
    }
    dcb.BaudRate = BaudFromTermios(t);
    dcb.ByteSize = ByteSizeFromFlag(t.c_cflag);
    dcb.parity = !(t.c_cflag & PARENB)  ? Parity::None
                 : (t.c_cflag & PARODD) ? Parity::Odd
                                        : Parity::Even;
    dcb.stopBits = (t.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    dcb.fParity = (t.c_iflag & INPCK) != 0;
    dcb.fOutX = (t.c_iflag & IXON) != 0;
    dcb.fInX = (t.c_iflag & IXOFF) != 0;
    dcb.fOutxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    dcb.XonChar = t.c_cc[VSTART];
    dcb.XoffChar = t.c_cc[VSTOP];
    dcb.fDtrControl = LineControl::AsPort;
    dcb.fRtsControl = LineControl::AsPort;
    return 0;
}

bool WaitForPortInput(int fd, std::chrono::microseconds wait) {
    pollfd p{fd, POLLIN, 0};
    return CallPollFor(&p, 1, wait) != 0;
}

WriteResult SerialPort::WriteBytes(const unsigned char* data, size_t size, size_t& written) {
    written = 0;
    while (written < size) {
        const WriteResult result = WriteFile(data[written]);
        if (result != WriteResult::Written) {
            return written > 0 ? WriteResult::Written : result;
        }
        ++written;
    }
    return WriteResult::Written;
}

namespace {

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    ~PosixSerialPort() override { CallClose(fd_); }

    bool GetCommState(Dcb& dcb) override {
        if (int error = ReadLineParameters(fd_, dcb); error != 0) {
            lastError_ = error;
            return false;
        }
        return true;
    }

    bool SetCommState(const Dcb& dcb) override {
        if (int error = ApplyLineParameters(fd_, dcb); error != 0) {
            lastError_ = error;
            return false;
        }
        unsent_.SetCharacterTime(CharacterTime(dcb));
        int lines = (dcb.fDtrControl == LineControl::Enable ? TIOCM_DTR : 0) |
                    (dcb.fRtsControl == LineControl::Enable ? TIOCM_RTS : 0);
        // A line without modem control (a pseudo-terminal) has nothing to hold on.
        if (lines != 0 && CallIoctl(fd_, TIOCMBIS, &lines) != 0 && errno != ENOTTY &&
            errno != EINVAL) {
            lastError_ = errno;
            return false;
        }
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

    // The tty driver sizes its own queues.
    bool SetupComm(int, int) override { return true; }

    bool PurgeComm() override {
        if (!Ioctl(TCFLSH, IoctlValue(TCIOFLUSH))) {
            return false;
        }
        unsent_.Clear();
        // Output stopped by an XOFF of an earlier transfer would stay stopped.
        CallIoctl(fd_, TCXONC, IoctlValue(TCOON));
        return true;
    }

    bool GetCommModemStatus(unsigned& bits) override {
        // A device without modem control (a pseudo-terminal, an adapter without the
        // lines) never gains it while open; the send asks before every byte, so
        // one refusal answers for the rest of the line's life.
        if (noModemLines_) {
            lastError_ = ENOTTY;
            return false;
        }
        int lines = 0;
        if (!Ioctl(TIOCMGET, &lines)) {
            noModemLines_ = lastError_ == ENOTTY || lastError_ == EINVAL;
            return false;
        }
        bits = ((lines & TIOCM_CTS) ? kModemCts : 0) | ((lines & TIOCM_DSR) ? kModemDsr : 0) |
               ((lines & TIOCM_CAR) ? kModemRlsd : 0);
        return true;
    }

    bool ClearCommError(int& outputQueue) override {
        int queued = 0;
        if (!Ioctl(TIOCOUTQ, &queued)) {
            return false;
        }
        outputQueue = queued;
        return true;
    }

    int BytesInFlight() override { return unsent_.Count(UnsentBytes::Clock::now()); }

    ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count, bool wait) override {
        count = 0;
        pollfd p{fd_, POLLIN, 0};
        int ready = CallPoll(&p, 1, wait ? timeouts_.ReadTotalTimeoutConstant : 0);
        if (ready < 0) {
            lastError_ = errno;
            return ReadResult::Failed;
        }
        if (ready == 0) {
            return ReadResult::Nothing;
        }
        ssize_t n = CallRead(fd_, buffer, size);
        if (n > 0) {
            count = static_cast<size_t>(n);
            return ReadResult::Byte;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return ReadResult::Nothing;
        }
        // End of file on a terminal means it hung up.
        lastError_ = n < 0 ? errno : EIO;
        return ReadResult::Failed;
    }

    WriteResult WriteFile(unsigned char byte) override {
        size_t written = 0;
        return WriteBytes(&byte, 1, written);
    }

    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        written = 0;
        ssize_t n = CallWrite(fd_, data, size);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            timeouts_.WriteTotalTimeoutConstant > 0 &&
            WaitWritable(timeouts_.WriteTotalTimeoutConstant)) {
            n = CallWrite(fd_, data, size);
        }
        if (n > 0) {
            written = static_cast<size_t>(n);
            unsent_.Written(UnsentBytes::Clock::now(), written);
            return WriteResult::Written;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            lastError_ = errno;
            return WriteResult::Failed;
        }
        return WriteResult::WouldBlock;
    }

    bool WaitWritable(int timeoutMs) override {
        pollfd p{fd_, POLLOUT, 0};
        int ready = CallPoll(&p, 1, timeoutMs);
        if (ready < 0) {
            lastError_ = errno;
            return false;
        }
        return ready > 0 && (p.revents & POLLOUT) != 0;
    }

    void DiscardOutput() override {
        CallIoctl(fd_, TCFLSH, IoctlValue(TCOFLUSH));
        unsent_.Clear();
    }

    int LastError() const override { return lastError_; }
    int PollHandle() const override { return fd_; }

private:
    bool Ioctl(unsigned long request, void* argument) {
        if (CallIoctl(fd_, request, argument) != 0) {
            lastError_ = errno;
            return false;
        }
        return true;
    }

    int fd_;
    int lastError_ = 0;
    bool noModemLines_ = false;
    CommTimeouts timeouts_;
    UnsentBytes unsent_;
};

bool InGroup(gid_t gid) {
    if (getegid() == gid) {
        return true;
    }
    int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<size_t>(count) : 0);
    count = getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < count; ++i) {
        if (groups[static_cast<size_t>(i)] == gid) {
            return true;
        }
    }
    return false;
}

std::string PermissionReason(const std::string& devicePath) {
    struct stat st {};
    if (stat(devicePath.c_str(), &st) != 0 || InGroup(st.st_gid)) {
        return "使用する権限がありません。";
    }
    group* owner = getgrgid(st.st_gid);
    std::string name = owner != nullptr ? owner->gr_name : std::to_string(st.st_gid);
    return "使用する権限がありません。このユーザーはグループ \"" + name +
           "\" のメンバーではありません（sudo usermod -aG " + name +
           " ユーザー名 の後、ログインし直してください）。";
}

} // namespace

bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == ECONNRESET ||
           error == EPIPE || error == ECONNABORTED || error == ENOTCONN || error == ETIMEDOUT ||
           error == EHOSTUNREACH || error == ENETUNREACH || error == ENETDOWN;
}

std::string OpenFailureDetail(const std::string& devicePath, int error) {
    std::string reason;
    switch (error) {
    case EACCES:
    case EPERM:
        reason = PermissionReason(devicePath);
        break;
    case EBUSY:
    case EWOULDBLOCK:
        reason = "他のプログラムが使用中です。";
        break;
    case ENOENT:
        reason = "デバイスがありません。接続を確認してください。";
        break;
    case ENOTTY:
        reason = "シリアルポートではありません。";
        break;
    case ENXIO:
    case ENODEV:
    case EIO:
        reason = "デバイスが応答しません（取り外されたか、ハードウェアがありません）。";
        break;
    default:
        break;
    }
    return devicePath + ": " + reason + "(" + std::strerror(error) + ")";
}

PortOpenResult OpenSerialDevice(const std::string& devicePath) {
    PortOpenResult result;
    // O_NONBLOCK: an on-board port would otherwise wait for carrier at open.
    int fd = CallOpen(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
    } else if (CallFlock(fd, LOCK_EX | LOCK_NB) != 0) {
        result.error = errno == EWOULDBLOCK ? EBUSY : errno;
    } else {
        termios2 t{};
        if (CallIoctl(fd, TCGETS2, &t) != 0) {
            result.error = (errno == EINVAL || errno == ENOTTY) ? ENOTTY : errno;
        }
    }
    if (result.error == 0) {
        result.port = std::make_unique<PosixSerialPort>(fd);
        return result;
    }
    if (fd >= 0) {
        CallClose(fd);
    }
    result.detail = OpenFailureDetail(devicePath, result.error);
    return result;
}
