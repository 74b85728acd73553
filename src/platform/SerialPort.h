// An open serial port with the operations the transfer code needs, named after
// the Win32 calls they stand for (GetCommState, SetCommTimeouts, PurgeComm...).
// PosixSerialPort drives a tty through termios2 and the kernel's modem-line
// ioctls; tests substitute their own SerialPort where modem lines must move.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

enum class Parity { None, Odd, Even };
enum class StopBits { One, OneAndHalf, Two };
// DTR/RTS: leave them as the port has them, or hold them on.
enum class LineControl { AsPort, Enable };

// The line parameters (Win32 DCB): only the fields the program sets.
struct Dcb {
    int BaudRate = 9600;
    int ByteSize = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool fParity = false;           // check parity on input
    bool fOutX = false;             // driver stops sending on XoffChar
    bool fInX = false;              // driver sends XoffChar when its input fills
    bool fOutxCtsFlow = false;      // driver sends only while CTS is on
    bool fNull = false;             // discard received NUL bytes
    bool fAbortOnError = false;     // no equivalent here; kept for the record
    bool fTXContinueOnXoff = false; // no equivalent here; kept for the record
    unsigned char XonChar = 0x11;
    unsigned char XoffChar = 0x13;
    int XonLim = 0;  // the tty driver keeps its own thresholds
    int XoffLim = 0; // likewise
    LineControl fDtrControl = LineControl::AsPort;
    LineControl fRtsControl = LineControl::AsPort;
};

// Win32 COMMTIMEOUTS, in milliseconds. A total constant of 0 means no timeout.
struct CommTimeouts {
    int ReadIntervalTimeout = 0;
    int ReadTotalTimeoutMultiplier = 0;
    int ReadTotalTimeoutConstant = 0;
    int WriteTotalTimeoutMultiplier = 0;
    int WriteTotalTimeoutConstant = 0;
};

// Modem status bits as Win32 GetCommModemStatus gives them.
inline constexpr unsigned kModemCts = 0x10;
inline constexpr unsigned kModemDsr = 0x20;
inline constexpr unsigned kModemRlsd = 0x80;

enum class ReadResult { Byte, Nothing, Failed };
enum class WriteResult { Written, WouldBlock, Failed };

class SerialPort {
public:
    virtual ~SerialPort() = default; // closes the port (CloseHandle)

    virtual bool GetCommState(Dcb& dcb) = 0;
    virtual bool SetCommState(const Dcb& dcb) = 0;
    virtual bool GetCommTimeouts(CommTimeouts& timeouts) = 0;
    virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool SetupComm(int inputQueue, int outputQueue) = 0;
    // Clears both queues and lets a line stopped by XOFF send again.
    virtual bool PurgeComm() = 0;
    virtual bool GetCommModemStatus(unsigned& bits) = 0;
    // The number of bytes waiting in the driver's output queue.
    virtual bool ClearCommError(int& outputQueue) = 0;
    // Written bytes that, at the line's own rate, cannot have left yet: what
    // the queue count misses (the UART's or a USB adapter's FIFO, everything
    // on a pseudo-terminal). A port whose queue count is complete answers 0.
    virtual int BytesInFlight() { return 0; }
    // What has arrived, at most size bytes, in one read: count tells how many.
    // With wait it waits up to the read total timeout for the first byte;
    // without, it takes only what is there.
    virtual ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count,
                                bool wait = true) = 0;
    // One byte. With a write total timeout the byte may wait that long for room;
    // without one the call never blocks and reports WouldBlock instead.
    virtual WriteResult WriteFile(unsigned char byte) = 0;
    // Up to size bytes in one call, so that a run costs one system call and not
    // one a byte: written tells how many were taken. Written when some were,
    // otherwise as WriteFile. This one hands them to WriteFile one by one.
    virtual WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written);
    // Waits at most timeoutMs for room to write one byte; true when there is.
    virtual bool WaitWritable(int timeoutMs) = 0;
    // Discards what is still queued for output, so that closing cannot wait.
    virtual void DiscardOutput() = 0;
    // The errno of the last failed call (EIO, ENXIO, ENODEV: the device is gone).
    virtual int LastError() const = 0;
    // A descriptor that poll() reports readable when input has arrived, so that a
    // server of many lines can sleep on all of them; -1 when the port has none.
    virtual int PollHandle() const { return -1; }
};

// A port that hands every call to another: the base of ports that watch or
// change a few calls of a real one (tests, benchmarks).
class ForwardingSerialPort : public SerialPort {
public:
    explicit ForwardingSerialPort(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}

    bool GetCommState(Dcb& dcb) override { return port_->GetCommState(dcb); }
    bool SetCommState(const Dcb& dcb) override { return port_->SetCommState(dcb); }
    bool GetCommTimeouts(CommTimeouts& t) override { return port_->GetCommTimeouts(t); }
    bool SetCommTimeouts(const CommTimeouts& t) override { return port_->SetCommTimeouts(t); }
    bool SetupComm(int in, int out) override { return port_->SetupComm(in, out); }
    bool PurgeComm() override { return port_->PurgeComm(); }
    bool GetCommModemStatus(unsigned& bits) override { return port_->GetCommModemStatus(bits); }
    bool ClearCommError(int& queued) override { return port_->ClearCommError(queued); }
    int BytesInFlight() override { return port_->BytesInFlight(); }
    ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count, bool wait) override {
        return port_->ReadFile(buffer, size, count, wait);
    }
    WriteResult WriteFile(unsigned char byte) override { return port_->WriteFile(byte); }
    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        return port_->WriteBytes(data, size, written);
    }
    bool WaitWritable(int ms) override { return port_->WaitWritable(ms); }
    void DiscardOutput() override { port_->DiscardOutput(); }
    int LastError() const override { return port_->LastError(); }
    int PollHandle() const override { return port_->PollHandle(); }

private:
    std::unique_ptr<SerialPort> port_;
};

struct PortOpenResult {
    std::unique_ptr<SerialPort> port; // null when the open failed
    int error = 0;                    // errno of the failure
    std::string detail;               // device and reason, for the operator
    std::string warning;              // the port works, but not fully as asked
};

// Sets an open terminal raw with the DCB's rate (any rate, 14400 too), data
// bits, parity, stop bits and flow control; 0 or the errno of the failure.
int ApplyLineParameters(int fd, const Dcb& dcb);

// Reads the rate, data bits, parity, stop bits and flow control of an open
// terminal (of a pseudo-terminal's master: its slave's); 0 or the errno.
int ReadLineParameters(int fd, Dcb& dcb);

// Waits at most wait for input on a port's PollHandle; false only when the
// time ran out with nothing there (an error is left for the read to report).
bool WaitForPortInput(int fd, std::chrono::microseconds wait);

// Opens a serial device for exclusive use (flock), without waiting for carrier.
// A file that is not a terminal is refused with ENOTTY.
PortOpenResult OpenSerialDevice(const std::string& devicePath);

// True when the error means the device has gone (a USB adapter pulled, the
// connection to a device server dropped).
bool DeviceGone(int error);

// The operator's reason for a failed open, naming the device.
std::string OpenFailureDetail(const std::string& devicePath, int error);
