// ncsim: an NC controller simulator for the far end of a serial line. It receives a
// program as a controller's tape input does (parity check, a buffer that drains at
// the line's baud rate, DC3/DC1 at its marks) and punches programs out as a
// controller's tape output does (leader, "%" framing, DC4, paced, obeying DC3/DC1).
// It runs on a pseudo-terminal it creates or on a device it is given; tests run it
// in-process on a thread, the demo as a program.
#pragma once

#include "platform/SerialPort.h"
#include "transfer/SpeedString.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ncsim {

// The simulator's end of the line.
class SimLine {
public:
    // A new pseudo-terminal pair: the program under test opens DeviceName().
    static std::optional<SimLine> OpenPty(std::string* error);
    // An existing serial device, raw, with the given rate (14400 too), data bits,
    // parity and stop bits.
    static std::optional<SimLine> OpenDevice(const std::string& path, const LineFormat& format,
                                             std::string* error);

    SimLine(SimLine&& other) noexcept;
    SimLine& operator=(SimLine&& other) noexcept;
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;
    ~SimLine();

    const std::string& DeviceName() const { return deviceName_; }

    enum class ReadResult { Data, Nothing, Hangup };
    // Appends what arrives within timeoutMs to out.
    ReadResult Read(std::string& out, int timeoutMs);
    // Writes all bytes, waiting while the line is full, at most timeoutMs (-1: as long
    // as it takes) and never past stop; false when the line is gone, the time ran
    // out (WriteTimedOut) or stop was set.
    bool Write(std::string_view bytes, int timeoutMs = -1, const std::atomic<bool>* stop = nullptr);
    bool WriteTimedOut() const { return writeTimedOut_; }
    // True once after the far end has opened (purged) the line: a pseudo-terminal
    // reports the purge that every port opening does. Never true on a device.
    bool TakeOpened();
    // The line's settings as the other side has set them: on a pseudo-terminal,
    // what the program (or a device server in front of it) made of its speed
    // string. The kernel keeps a pseudo-terminal at 8 data bits without parity.
    std::optional<Dcb> Settings() const;
    // Bytes read from the program so far; safe to read from any thread.
    size_t Received() const { return received_.load(); }
    // Closes both ends: the program sees its line vanish.
    void Drop();
    bool Dropped() const { return fd_ < 0; }

private:
    SimLine() = default;
    void Close();

    int fd_ = -1;
    int keepSlaveFd_ = -1; // holds the slave open so the master never reads EIO
    bool packetMode_ = false;
    bool opened_ = false;
    bool writeTimedOut_ = false;
    std::atomic<size_t> received_{0};
    std::string deviceName_;
};

enum class TapeKind { Iso, Eia, Ascii };
enum class Fault { None, DropLine, Dc3Forever, Noise, Silent };

std::optional<TapeKind> ParseTapeKind(std::string_view text);
std::optional<Fault> ParseFault(std::string_view text);

struct ReceiveOptions {
    TapeKind code = TapeKind::Iso;
    // Start character sent to the program: 0 none, 0x11 DC1 or '%'. It is sent when
    // the program opens the line, and again every startRepeatMs (0: never) until data
    // arrives: a device, unlike a pseudo-terminal, does not show the opening.
    char start = 0;
    int startRepeatMs = 1000;
    size_t highMark = 200; // DC3 when more than this many bytes wait in the buffer
    size_t lowMark = 100;  // DC1 when no more than this many wait again
    int baud = 0;          // drain rate; 0 drains at once (no handshake ever needed)
    int bitsPerByte = 10;  // start + data + parity + stop bits of one character
    // The wire, modelled: bytes read reach the buffer one character time at this
    // rate apart (0: as they are read). A pseudo-terminal delivers at once, so
    // only with the wire modelled do bytes still on their way count after a DC3.
    int lineBaud = 0;
    int idleTimeoutMs = 0;    // after the first byte, give up when silent this long (0: never)
    bool endOnPercent = true; // false: only DC4 or the line closing ends, so trailers are seen
    Fault fault = Fault::None;
    size_t faultAfter = 0; // received bytes before the fault
};

struct ParityError {
    size_t position; // 0-based offset in the received bytes
    unsigned char byte;
};

// Stalled: the far end stopped reading, and a write waited its timeout out.
enum class EndReason { None, Percent, Dc4, Hangup, Dropped, Stopped, IdleTimeout, Stalled };

struct ReceiveReport {
    std::string raw;     // every byte received
    std::string program; // decoded text from the first non-feed character to the end
    std::vector<ParityError> parityErrors;
    std::vector<size_t> bytesAfterDc3; // per DC3 sent: bytes that arrived until the DC1
    size_t startsSent = 0;
    std::optional<Dcb> lineSeen; // the line's settings when the first byte arrived
    EndReason end = EndReason::None;
    double seconds = 0;        // first byte to end
    double drainedSeconds = 0; // first byte until the buffer has drained the last one
};

// Receives one program. stop ends it from another thread.
ReceiveReport Receive(SimLine& line, const ReceiveOptions& options,
                      const std::atomic<bool>* stop = nullptr);

struct PunchOptions {
    TapeKind code = TapeKind::Iso;
    int leader = 0; // feed characters (NUL) before and after the program
    int baud = 0;   // pacing; 0 sends as fast as the line takes it
    int bitsPerByte = 10;
    bool waitForOpen = false;  // wait until the program opens the line (or sends DC1)
    int startDelayMs = 0;      // pause after that before the first byte
    int writeTimeoutMs = 5000; // a line that takes nothing this long ends the punch
    Fault fault = Fault::None;
    size_t faultAfter = 0; // punched bytes before the fault
};

struct PunchReport {
    size_t bytesSent = 0;
    size_t dc3Seen = 0;
    size_t unsendable = 0; // characters without a code in the chosen tape code
    EndReason end = EndReason::None;
};

// The bytes of a punched tape for text: the file's own lone "%" lines are left
// out, because the framing "%" LF ... "%" is the simulator's.
std::string PunchBytes(std::string_view text, TapeKind code, int leader, size_t* unsendable);

PunchReport Punch(SimLine& line, std::string_view text, const PunchOptions& options,
                  const std::atomic<bool>* stop = nullptr);

// "19200,8,N,2 flow xon/xoff": the settings as a speed string with the flow control.
std::string DescribeSettings(const Dcb& dcb);

// A remote request as an operator makes it at the controller: the request
// program punched, the receiver's DC4 that closes the punch awaited (at most
// closeTimeoutMs), then the answer read as the tape input reads a program.
struct RequestReport {
    PunchReport punch;
    bool closed = false; // the DC4 came
    ReceiveReport answer;
};

RequestReport Request(SimLine& line, std::string_view text, const PunchOptions& punch,
                      const ReceiveOptions& answer, int closeTimeoutMs,
                      const std::atomic<bool>* stop = nullptr);

// One-paragraph summary of a reception for the report file.
std::string DescribeReceive(const ReceiveReport& report);

} // namespace ncsim
