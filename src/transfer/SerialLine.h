// The one open serial line of a transfer and its handshake state. OpenLine
// opens and configures the port of a line mode; WriteText, WriteByte and
// ReadByte move bytes under the program's own DC1/DC3 handshake and the modem
// lines, keeping the window alive through TransferHost while they wait. Bytes
// go out in runs of what the line has room for, one write a run. The jobs
// steer it through intent methods; its state is its own. Nothing here
// blocks for longer than one read timeout or kPacingWaitMaxMs of waiting for room.
#pragma once

#include "platform/SerialPort.h"
#include "transfer/LineOptions.h"
#include "transfer/TapeCode.h"
#include "transfer/TransferHost.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct TSettings;

enum class AbortStage { Held, Pressed };

// Bytes allowed in the driver's output queue before WriteByte waits: it
// limits what is already on its way when the far end sends DC3.
inline constexpr int kOutputQueueBound = 258;
// Bytes allowed on their way by the line's own rate (SerialPort::BytesInFlight)
// before WriteByte waits. The queue count never sees the UART's or a USB
// adapter's FIFO, and a pseudo-terminal's is always 0: this pacing keeps what
// reaches a controller after its DC3 to about 16 bytes on any line.
inline constexpr int kBytesInFlightBound = 14;
// A writer that has filled the line sleeps until what is on its way covers only
// this much line time, so that a wake-up somewhat late still finds the line busy;
// only input on the line wakes it in between. The sleep is a timed poll, late by
// far less than this; a longer reserve would wake the sender more often for
// fewer bytes each.
inline constexpr int kLineReserveMs = 2;
// The longest single sleep of a wait for room: on a slow line the stop keys and
// the window are still looked at this often.
inline constexpr int kPacingWaitMaxMs = 50;
// Closing a line discards what is still queued: after a last control byte (DC1,
// DC4) the line stays open this long, ten character times at 1200 baud.
inline constexpr int kLastByteLeaveMs = 100;
// How long a closing control character (DC4) waits for room on a held line.
inline constexpr int kClosingByteWaitMs = 1000;
// Bytes written between two handshake polls in mode 1; a run ends there, and a
// pacing sleep that watched the line counts as a poll.
inline constexpr int kPollInterval = 10;
// UpdateLamps reads the modem lines at most this often while bytes stream in.
inline constexpr int kModemPollMs = 5;

// One step of a wait on the far end (see SerialLine::WaitStep).
struct LineWait {
    bool stopped = false;   // a stop key ended the wait; the keys are released
    unsigned char byte = 0; // the received character, 0 when none
    bool lineLost = false;  // the device has gone
};

class SerialLine {
public:
    using PortOpener = std::function<PortOpenResult(const std::string& portText)>;

    // The settings are read when a line opens (LineOptionsFor), never per byte.
    SerialLine(TransferHost& host, const TSettings& settings);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Replaces how a port text becomes an open port (tests hand out fake ports).
    void SetPortOpener(PortOpener opener) { opener_ = std::move(opener); }

    // Opens and configures the line of mode 1 to 4 and sends the port-switch
    // selection when AutoSelect is on. On false the operator has been told why;
    // a port that was opened stays open until CloseLine.
    bool OpenLine(int lineMode);
    // Discards what is still queued for output and closes the port.
    void CloseLine();
    bool IsOpen() const { return handle_ != nullptr; }

    // One received character; 0 when there is none (timeout, NUL, no code).
    // One read of the device takes all that has arrived; the bytes are handed
    // out from there one by one.
    unsigned char ReadByte();
    // Converts and writes one character under the handshake; may request a stop.
    void WriteByte(unsigned char ch);
    // The characters as WriteByte one by one would send them, checks and all,
    // but the bytes the line has room for go out in one write. It ends early
    // when a stop is requested. With TextEnd::Continues the last run, while
    // it has room, waits for the next text (the next line of a program); any
    // other use of the line writes it first.
    enum class TextEnd { Write, Continues };
    void WriteText(std::string_view text, TextEnd end = TextEnd::Write);
    // Writes the run that waits for more text, if any.
    void WriteHeldRun();
    // Reads the modem lines and shows them; false when they cannot be read.
    // While bytes stream in, it asks the device at most every kModemPollMs and
    // answers from its last read in between.
    bool UpdateLamps(unsigned* bits = nullptr);
    void ReleaseAbortKeys();

    // One step of every wait on the far end: a stop key held, one received
    // character, a stop key pressed (during the read), and whether the line is lost.
    LineWait WaitStep();

    // What the jobs tell the line.
    // The far end allows sending (its DC1 or "%", or the operator's go); a
    // carrier seen later no longer counts as permission.
    void GrantSending();
    // The next WriteByte asks the far end first: it may have said DC3 already.
    void PollOnNextWrite() { bytesSincePoll_ = kPollInterval; }
    // A new text starts: the next poll comes kPollInterval bytes from here.
    void RestartPollCount() { bytesSincePoll_ = 0; }
    // Forgets a stop requested by the line before a new stage of the job.
    void ClearStopRequest() { abortRequested_ = false; }
    // Writes a last control character (DC1 to a reader, DC4 at the end) with
    // no handshake before it: a DC3 still pending must not hold back the stop itself.
    void SendClosingByte(unsigned char ch);
    // The code received characters are read in (undecided: detected from the first).
    void SetReceiveCode(ReceiveCode code) { receiveCode_ = code; }

    // The line's state, for the jobs' decisions and for tests.
    int Mode() const { return mode_; }
    bool SendingAllowed() const { return xon_; }
    bool CarrierLatched() const { return carrierLatched_; }
    // The transfer is to stop: a stop key, a modem line or a lost line.
    bool StopRequested() const { return abortRequested_; }
    // The device went away (a USB adapter pulled): reads and writes fail. It
    // also requests a stop, so that a transfer stops instead of pretending.
    bool LineLost() const { return lineLost_; }
    int BytesSincePoll() const { return bytesSincePoll_; }
    bool SendingSelection() const { return selectionSending_; }
    const ReceiveCode& CurrentReceiveCode() const { return receiveCode_; }
    // The speed string the line was opened with.
    const std::string& WorkingSpeed() const { return options_.speedText; }
    // The open port itself, or nullptr (tests look at its queue).
    SerialPort* Port() const { return handle_.get(); }

private:
    bool AbortKeyDown(AbortStage stage);
    bool KeyStops(AbortStage stage);
    unsigned char ReadLineByte(bool wait);
    void TakeWhatArrived(bool wait);
    bool FillInput(bool wait);
    void ForgetInput();
    bool Handshake();
    enum class Room { Ready, Stopped, FarEndPaused };
    Room WaitForRoom(size_t& room, bool afterRun);
    // What is left on its way when a pacing sleep ends: the reserve in bytes.
    int PacingTarget() const;
    std::chrono::microseconds PacingWait(int queued, int inFlight);
    bool SleepForRoom(std::chrono::microseconds wait, bool wake);
    size_t MakeRoom(bool afterRun);
    void WriteRun();
    void StopByKey();
    bool StopKeyAround(const std::function<void()>& between);
    bool StopKeyAfterEvents();
    bool WaitEnds();
    void NoteFailure();
    bool Fail(const char* message);
    bool Configure(int lineMode);
    bool SendSelection();
    void ShowLineState(unsigned bits);

    TransferHost& host_;
    const TSettings& settings_;
    PortOpener opener_;
    LineOptions options_;
    std::chrono::nanoseconds characterTime_{0}; // of the line as configured
    int queuedAtMost_ = -1; // bytes the output queue can hold now; -1 while not counted
    std::unique_ptr<SerialPort> handle_;
    int mode_ = 0;
    bool xon_ = false;                           // the far end allows sending
    bool carrierLatched_ = false;                // carrier detect was once taken as permission
    bool abortRequested_ = false;                // the transfer is to stop
    std::optional<std::int64_t> closingUntilMs_; // a closing byte is being written
    int bytesSincePoll_ = 0;
    bool selectionSending_ = false; // port-switch selection: no code conversion
    ReceiveCode receiveCode_;
    bool lineLost_ = false;
    unsigned lastModemBits_ = 0;
    // The run of bytes being gathered for one write, and how many the line had room for.
    std::array<unsigned char, kBytesInFlightBound> run_{};
    size_t runSize_ = 0;
    size_t runRoom_ = 0;
    bool stoppedByKey_ = false;
    // Bytes of the last device read not yet handed out.
    std::array<unsigned char, 4096> input_{};
    size_t inputNext_ = 0;
    size_t inputEnd_ = 0;
    // The last modem-line read of UpdateLamps; streaming_: bytes were handed
    // out since then, with no read that found the line idle.
    bool streaming_ = false;
    bool modemReadable_ = false;
    std::int64_t modemReadMs_ = 0;
};
