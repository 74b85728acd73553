#include "NcSim.h"

#include "platform/SerialPort.h"
#include "platform/SerialSystem.h"
#include "transfer/TapeCode.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace ncsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned char kDc1 = 0x11;
constexpr unsigned char kDc3 = 0x13;
constexpr unsigned char kDc4 = 0x14;

std::string Errno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

SendCode SendCodeOf(TapeKind code) {
    switch (code) {
    case TapeKind::Iso:
        return SendCode::Iso;
    case TapeKind::Eia:
        return SendCode::Eia;
    case TapeKind::Ascii:
        break;
    }
    return SendCode::Unchanged;
}

// A control character as this tape code puts it on the line. DC3 always goes out
// as 0x93: in EIA a plain 0x13 is the digit "3", and 0x93 means DC3 in every code.
std::string Control(unsigned char ch, TapeKind code) {
    if (ch == kDc3 && code != TapeKind::Ascii)
        return std::string(1, static_cast<char>(0x93));
    auto b = EncodeByte(ch, SendCodeOf(code));
    return std::string(1, static_cast<char>(b ? *b : ch));
}

bool ParityOk(unsigned char b, TapeKind code) {
    int ones = std::popcount(static_cast<unsigned>(b));
    switch (code) {
    case TapeKind::Iso:
        return ones % 2 == 0;
    case TapeKind::Eia:
        return ones % 2 == 1;
    case TapeKind::Ascii:
        break;
    }
    return true;
}

unsigned char DecodeFor(unsigned char b, TapeKind code) {
    switch (code) {
    case TapeKind::Iso:
        return b & 0x7F;
    case TapeKind::Eia:
        return DecodeByte(b, kEiaCode);
    case TapeKind::Ascii:
        break;
    }
    return b;
}

// The buffer of a controller's tape input: filled by the line, emptied at the
// baud rate by the interpreter.
class DrainingBuffer {
public:
    explicit DrainingBuffer(const ReceiveOptions& o)
        : bytesPerSecond_(o.baud > 0 ? double(o.baud) / std::max(1, o.bitsPerByte) : 0) {}
    void Add(size_t n) {
        Update();
        if (bytesPerSecond_ > 0)
            level_ += double(n);
    }
    double Level() {
        Update();
        return level_;
    }
    double SecondsToEmpty() { return bytesPerSecond_ > 0 ? Level() / bytesPerSecond_ : 0; }
    // Milliseconds until the level falls to mark (at least 1).
    int MsUntil(double mark) {
        if (bytesPerSecond_ <= 0 || Level() <= mark)
            return 1;
        return std::max(1, int((level_ - mark) * 1000 / bytesPerSecond_) + 1);
    }

private:
    void Update() {
        auto now = Clock::now();
        level_ = std::max(0.0, level_ - Seconds(now - last_) * bytesPerSecond_);
        last_ = now;
    }
    double bytesPerSecond_;
    double level_ = 0;
    Clock::time_point last_ = Clock::now();
};

// The line into the controller when it is modelled (ReceiveOptions::lineBaud):
// what was read arrives one character time after the byte before it.
class Wire {
public:
    explicit Wire(const ReceiveOptions& o)
        : characterTime_(o.lineBaud > 0 ? std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(
                                                  double(std::max(1, o.bitsPerByte)) / o.lineBaud))
                                        : Clock::duration::zero()) {}
    bool Modelled() const { return characterTime_ > Clock::duration::zero(); }
    bool Pending() const { return !onTheWire_.empty(); }
    // Milliseconds until the next byte arrives (at least 1); 20 when none is on its way.
    int MsUntilNext(Clock::time_point now) const {
        if (onTheWire_.empty())
            return 20;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextAt_ - now).count();
        return int(std::clamp<long long>(left + 1, 1, 20));
    }
    // Puts what was read on the wire and returns what has arrived by now; without
    // a modelled wire, what was read has arrived.
    std::string_view Pass(const std::string& read, Clock::time_point now) {
        if (!Modelled())
            return read;
        if (onTheWire_.empty())
            nextAt_ = now + characterTime_;
        onTheWire_.insert(onTheWire_.end(), read.begin(), read.end());
        arrived_.clear();
        while (!onTheWire_.empty() && nextAt_ <= now) {
            arrived_.push_back(onTheWire_.front());
            onTheWire_.pop_front();
            nextAt_ += characterTime_;
        }
        return arrived_;
    }

private:
    Clock::duration characterTime_;
    std::deque<char> onTheWire_;
    Clock::time_point nextAt_{};
    std::string arrived_;
};

// Decoding of the received bytes into program text, with the end rules.
class TapeReader {
public:
    TapeReader(const ReceiveOptions& options, ReceiveReport& report)
        : options_(options), report_(report) {}

    // Takes one byte; returns the end reason once the program is complete.
    EndReason Take(unsigned char b) {
        size_t position = report_.raw.size();
        report_.raw.push_back(static_cast<char>(b));
        if (b == 0)
            return EndReason::None; // tape feed
        if (b == kDc4)
            return EndReason::Dc4;
        // Control characters carry no parity; in EIA 0x13 is the digit "3".
        if (options_.code == TapeKind::Ascii && b >= kDc1 && b <= kDc4)
            return EndReason::None;
        if (options_.code == TapeKind::Eia && (b == kDc1 || b == 0x12))
            return EndReason::None;
        if (!ParityOk(b, options_.code))
            report_.parityErrors.push_back({position, b});
        unsigned char c = DecodeFor(b, options_.code);
        if (c == 0 || (c >= kDc1 && c <= kDc4))
            return EndReason::None;
        if (!started_ && c == ' ')
            return EndReason::None; // leader blanks
        started_ = true;
        report_.program.push_back(static_cast<char>(c));
        if (c == '%' && firstLineDone_ && options_.endOnPercent)
            return EndReason::Percent;
        if (c == '\n')
            firstLineDone_ = true;
        return EndReason::None;
    }

private:
    const ReceiveOptions& options_;
    ReceiveReport& report_;
    bool started_ = false;
    bool firstLineDone_ = false;
};

const std::string kNoise = "\x55\xAA\x07\xFE\x3C";
// A PC that has the line closed reads nothing: a control character that cannot be
// written soon is dropped rather than hanging the simulator.
constexpr int kControlWriteMs = 200;

} // namespace

std::optional<SimLine> SimLine::OpenPty(std::string* error) {
    SimLine line;
    line.fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.fd_ < 0 || ::grantpt(line.fd_) != 0 || ::unlockpt(line.fd_) != 0) {
        if (error)
            *error = Errno("posix_openpt");
        return std::nullopt;
    }
    char name[128];
    if (::ptsname_r(line.fd_, name, sizeof name) != 0) {
        if (error)
            *error = Errno("ptsname");
        return std::nullopt;
    }
    line.deviceName_ = name;
    line.keepSlaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.keepSlaveFd_ < 0) {
        if (error)
            *error = Errno(name);
        return std::nullopt;
    }
    termios raw{};
    ::tcgetattr(line.keepSlaveFd_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(line.keepSlaveFd_, TCSANOW, &raw);
    int on = 1;
    line.packetMode_ = ::ioctl(line.fd_, TIOCPKT, &on) == 0;
    ::fcntl(line.fd_, F_SETFL, ::fcntl(line.fd_, F_GETFL) | O_NONBLOCK);
    return line;
}

std::optional<SimLine> SimLine::OpenDevice(const std::string& path, const LineFormat& format,
                                           std::string* error) {
    SimLine line;
    line.deviceName_ = path;
    line.fd_ = CallOpen(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line.fd_ < 0) {
        if (error)
            *error = Errno(path.c_str());
        return std::nullopt;
    }
    Dcb dcb;
    dcb.BaudRate = format.baud;
    dcb.ByteSize = format.dataBits;
    dcb.parity = format.parity;
    dcb.stopBits = format.stopBits;
    if (int failed = ApplyLineParameters(line.fd_, dcb); failed != 0) {
        errno = failed;
        if (error)
            *error = Errno(path.c_str());
        return std::nullopt;
    }
    return line;
}

SimLine::SimLine(SimLine&& other) noexcept {
    *this = std::move(other);
}

SimLine& SimLine::operator=(SimLine&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        keepSlaveFd_ = std::exchange(other.keepSlaveFd_, -1);
        packetMode_ = other.packetMode_;
        opened_ = other.opened_;
        received_ = other.received_.load();
        deviceName_ = std::move(other.deviceName_);
    }
    return *this;
}

SimLine::~SimLine() {
    Close();
}

void SimLine::Close() {
    if (keepSlaveFd_ >= 0)
        ::close(keepSlaveFd_);
    if (fd_ >= 0)
        ::close(fd_);
    keepSlaveFd_ = fd_ = -1;
}

void SimLine::Drop() {
    Close();
}

std::optional<Dcb> SimLine::Settings() const {
    Dcb dcb;
    if (fd_ < 0 || ReadLineParameters(fd_, dcb) != 0)
        return std::nullopt;
    return dcb;
}

bool SimLine::TakeOpened() {
    return std::exchange(opened_, false);
}

SimLine::ReadResult SimLine::Read(std::string& out, int timeoutMs) {
    if (fd_ < 0)
        return ReadResult::Hangup;
    pollfd p{fd_, POLLIN | POLLPRI, 0};
    int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0)
        return ReadResult::Nothing;
    char buffer[4096];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return ReadResult::Nothing;
    if (n <= 0)
        return ReadResult::Hangup;
    if (!packetMode_) {
        received_ += size_t(n);
        out.append(buffer, size_t(n));
        return ReadResult::Data;
    }
    // Packet mode: a status byte, then data when it is zero.
    if (buffer[0] != 0) {
        if (buffer[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE))
            opened_ = true;
        return ReadResult::Nothing;
    }
    received_ += size_t(n - 1);
    out.append(buffer + 1, size_t(n - 1));
    return n > 1 ? ReadResult::Data : ReadResult::Nothing;
}

bool SimLine::Write(std::string_view bytes, int timeoutMs, const std::atomic<bool>* stop) {
    const auto limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
    writeTimedOut_ = false;
    while (!bytes.empty()) {
        if (fd_ < 0 || Stopped(stop))
            return false;
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(size_t(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (timeoutMs >= 0 && Clock::now() >= limit) {
            writeTimedOut_ = true;
            return false;
        }
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
    return true;
}

std::optional<TapeKind> ParseTapeKind(std::string_view text) {
    if (text == "iso")
        return TapeKind::Iso;
    if (text == "eia")
        return TapeKind::Eia;
    if (text == "ascii")
        return TapeKind::Ascii;
    return std::nullopt;
}

std::optional<Fault> ParseFault(std::string_view text) {
    if (text == "none")
        return Fault::None;
    if (text == "drop")
        return Fault::DropLine;
    if (text == "dc3")
        return Fault::Dc3Forever;
    if (text == "noise")
        return Fault::Noise;
    if (text == "silent")
        return Fault::Silent;
    return std::nullopt;
}

ReceiveReport Receive(SimLine& line, const ReceiveOptions& options, const std::atomic<bool>* stop) {
    ReceiveReport report;
    TapeReader reader(options, report);
    DrainingBuffer buffer(options);
    Wire wire(options);
    bool paused = false;
    bool faultDone = false;
    Clock::time_point first{}, lastByte{};
    Clock::time_point nextStart = Clock::now();
    std::string chunk;

    while (report.end == EndReason::None) {
        if (Stopped(stop)) {
            report.end = EndReason::Stopped;
            break;
        }
        bool dc3Forever = options.fault == Fault::Dc3Forever && faultDone;
        // Still paused when the DC1 could not be written: it is tried again.
        if (paused && !dc3Forever && buffer.Level() <= double(options.lowMark))
            paused = !line.Write(Control(kDc1, options.code), kControlWriteMs);
        bool opened = line.TakeOpened();
        bool repeat = options.startRepeatMs > 0 && Clock::now() >= nextStart;
        if (options.start && report.raw.empty() && (opened || repeat)) {
            line.Write(Control(static_cast<unsigned char>(options.start), options.code),
                       kControlWriteMs);
            ++report.startsSent;
            nextStart = Clock::now() + std::chrono::milliseconds(options.startRepeatMs);
        }
        if (options.fault == Fault::Silent && faultDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue; // reads nothing and answers nothing until stopped
        }
        int wait = paused ? std::min(50, buffer.MsUntil(double(options.lowMark))) : 20;
        wait = std::min(wait, wire.MsUntilNext(Clock::now()));
        chunk.clear();
        auto result = line.Read(chunk, wait);
        auto now = Clock::now();
        if (result == SimLine::ReadResult::Hangup) {
            report.end = EndReason::Hangup;
            break;
        }
        if (result == SimLine::ReadResult::Data) {
            if (first == Clock::time_point{}) {
                first = now;
                report.lineSeen = line.Settings();
            }
            lastByte = now;
        } else if (!wire.Pending()) {
            if (options.idleTimeoutMs > 0 && first != Clock::time_point{} &&
                now - lastByte > std::chrono::milliseconds(options.idleTimeoutMs))
                report.end = EndReason::IdleTimeout;
            continue;
        }
        // Without a modelled wire, bytes read together with the one that filled the
        // buffer were on their way before the DC3: only later reads show how late
        // the PC reacted. On a modelled wire every byte arrives on its own.
        const bool pausedBeforeChunk = paused;
        for (unsigned char b : wire.Pass(chunk, now)) {
            buffer.Add(1);
            if (wire.Modelled() ? paused : pausedBeforeChunk)
                ++report.bytesAfterDc3.back();
            report.end = reader.Take(b);
            if (report.end != EndReason::None)
                break;
            if (!paused && buffer.Level() > double(options.highMark)) {
                line.Write(Control(kDc3, options.code), kControlWriteMs);
                paused = true;
                report.bytesAfterDc3.push_back(0);
            }
            if (options.fault != Fault::None && !faultDone &&
                report.raw.size() >= options.faultAfter) {
                faultDone = true;
                if (options.fault == Fault::DropLine) {
                    line.Drop();
                    report.end = EndReason::Dropped;
                    break;
                }
                if (options.fault == Fault::Noise)
                    line.Write(kNoise, kControlWriteMs);
                if (options.fault == Fault::Dc3Forever && !paused) {
                    line.Write(Control(kDc3, options.code), kControlWriteMs);
                    paused = true;
                    report.bytesAfterDc3.push_back(0);
                }
                if (options.fault == Fault::Silent)
                    break;
            }
        }
    }
    if (!report.raw.empty()) {
        report.seconds = Seconds(Clock::now() - first);
        report.drainedSeconds = report.seconds + buffer.SecondsToEmpty();
    }
    return report;
}

std::string PunchBytes(std::string_view text, TapeKind code, int leader, size_t* unsendable) {
    std::string plain = "%\n";
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        std::string_view lineText =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (lineText != "%") {
            plain += lineText;
            plain += '\n';
        }
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    plain += '%';
    std::string bytes(size_t(std::max(0, leader)), '\0');
    size_t missing = 0;
    for (unsigned char c : plain) {
        if (auto b = EncodeByte(c, SendCodeOf(code)))
            bytes.push_back(static_cast<char>(*b));
        else
            ++missing;
    }
    bytes += Control(kDc4, code);
    bytes.append(size_t(std::max(0, leader)), '\0');
    if (unsendable)
        *unsendable = missing;
    return bytes;
}

PunchReport Punch(SimLine& line, std::string_view text, const PunchOptions& options,
                  const std::atomic<bool>* stop) {
    PunchReport report;
    std::string bytes = PunchBytes(text, options.code, options.leader, &report.unsendable);
    std::string incoming;
    bool paused = false;
    // Far-end flow control: DC3 (with or without parity) pauses, DC1 resumes.
    auto takeIncoming = [&](int timeoutMs) {
        incoming.clear();
        auto result = line.Read(incoming, timeoutMs);
        for (unsigned char b : incoming) {
            if ((b & 0x7F) == kDc3) {
                paused = true;
                ++report.dc3Seen;
            } else if ((b & 0x7F) == kDc1) {
                paused = false;
            }
        }
        return result;
    };
    if (options.waitForOpen) {
        bool dc1 = false;
        while (!line.TakeOpened() && !dc1) {
            if (Stopped(stop)) {
                report.end = EndReason::Stopped;
                return report;
            }
            incoming.clear();
            if (line.Read(incoming, 20) == SimLine::ReadResult::Hangup) {
                report.end = EndReason::Hangup;
                return report;
            }
            dc1 = incoming.find(char(kDc1)) != std::string::npos;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(options.startDelayMs));
    const double bytesPerSecond =
        options.baud > 0 ? double(options.baud) / std::max(1, options.bitsPerByte) : 0;
    auto begin = Clock::now();
    double credit = 0; // bytes sent so far in paced time
    while (report.bytesSent < bytes.size()) {
        if (Stopped(stop)) {
            report.end = EndReason::Stopped;
            return report;
        }
        if (takeIncoming(paused ? 20 : 0) == SimLine::ReadResult::Hangup) {
            report.end = EndReason::Hangup;
            return report;
        }
        if (paused) {
            if (bytesPerSecond > 0) // the pause does not count as line time
                begin = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(credit / bytesPerSecond));
            continue;
        }
        size_t n = bytes.size() - report.bytesSent;
        if (bytesPerSecond > 0) {
            double due = Seconds(Clock::now() - begin) * bytesPerSecond - credit;
            if (due < 1) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            n = std::min(n, size_t(due));
        }
        n = std::min<size_t>(n, 64); // small pieces, so DC3 is obeyed within a few bytes
        if (options.fault != Fault::None && report.bytesSent < options.faultAfter)
            n = std::min(n, options.faultAfter - report.bytesSent);
        if (!line.Write(std::string_view(bytes).substr(report.bytesSent, n), options.writeTimeoutMs,
                        stop)) {
            report.end = Stopped(stop)          ? EndReason::Stopped
                         : line.WriteTimedOut() ? EndReason::Stalled
                                                : EndReason::Hangup;
            return report;
        }
        report.bytesSent += n;
        credit += double(n);
        if (options.fault != Fault::None && report.bytesSent == options.faultAfter) {
            if (options.fault == Fault::DropLine) {
                line.Drop();
                report.end = EndReason::Dropped;
                return report;
            }
            if (options.fault == Fault::Noise)
                line.Write(kNoise, options.writeTimeoutMs, stop);
            if (options.fault == Fault::Silent) {
                while (!Stopped(stop))
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                report.end = EndReason::Stopped;
                return report;
            }
        }
    }
    report.end = EndReason::Dc4;
    return report;
}

std::string DescribeSettings(const Dcb& dcb) {
    const char parity = dcb.parity == Parity::Odd ? 'O' : dcb.parity == Parity::Even ? 'E' : 'N';
    std::string text = std::to_string(dcb.BaudRate) + "," + std::to_string(dcb.ByteSize) + "," +
                       parity + "," + (dcb.stopBits == StopBits::One ? "1" : "2") + " flow";
    if (dcb.fOutX)
        text += " xon";
    if (dcb.fInX)
        text += " xoff";
    if (dcb.fOutxCtsFlow)
        text += " cts";
    if (!dcb.fOutX && !dcb.fInX && !dcb.fOutxCtsFlow)
        text += " none";
    return text;
}

RequestReport Request(SimLine& line, std::string_view text, const PunchOptions& punch,
                      const ReceiveOptions& answer, int closeTimeoutMs,
                      const std::atomic<bool>* stop) {
    RequestReport report;
    report.punch = Punch(line, text, punch, stop);
    if (report.punch.end != EndReason::Dc4)
        return report;
    const auto limit = Clock::now() + std::chrono::milliseconds(closeTimeoutMs);
    while (!report.closed && Clock::now() < limit && !Stopped(stop)) {
        std::string got;
        if (line.Read(got, 20) == SimLine::ReadResult::Hangup)
            return report;
        // DC4 with or without its parity bit: what the receiver sends after the tape.
        report.closed =
            got.find('\x14') != std::string::npos || got.find('\x94') != std::string::npos;
    }
    if (report.closed)
        report.answer = Receive(line, answer, stop);
    return report;
}

std::string DescribeReceive(const ReceiveReport& report) {
    static const char* const kEnds[] = {"running", "%",       "DC4",          "line closed",
                                        "dropped", "stopped", "idle timeout", "stalled"};
    std::string text;
    char line[160];
    size_t lines = size_t(std::count(report.program.begin(), report.program.end(), '\n'));
    std::snprintf(line, sizeof line, "received %zu bytes, %zu lines in %.3f s, ended by %s\n",
                  report.raw.size(), lines, report.seconds, kEnds[int(report.end)]);
    text += line;
    if (report.lineSeen)
        text += "line seen: " + DescribeSettings(*report.lineSeen) + "\n";
    std::snprintf(line, sizeof line, "parity errors: %zu\n", report.parityErrors.size());
    text += line;
    for (const auto& e : report.parityErrors) {
        std::snprintf(line, sizeof line, "  at byte %zu: 0x%02X\n", e.position, e.byte);
        text += line;
    }
    std::snprintf(line, sizeof line,
                  "DC3 sent: %zu; bytes after each DC3:", report.bytesAfterDc3.size());
    text += line;
    for (size_t n : report.bytesAfterDc3)
        text += " " + std::to_string(n);
    text += '\n';
    return text;
}

} // namespace ncsim
