#include "transfer/SerialLine.h"

#include "platform/LineRate.h"
#include "platform/SerialDevices.h"
#include "settings/Settings.h"
#include "transfer/PortSelection.h"
#include "transfer/SpeedString.h"

#include <algorithm>

namespace {

constexpr unsigned char kDc1 = 0x11;
constexpr unsigned char kDc2 = 0x12;
constexpr unsigned char kDc3 = 0x13;
constexpr unsigned char kDc4 = 0x14;
constexpr unsigned char kDc3WithParity = 0x93;

// While waiting for DC1 each poll read waits this long; with permission it takes
// only what has already arrived, so the poll costs the line no speed.
constexpr int kHandshakeReadMs = 10;
constexpr int kQueueSize = 4096;

} // namespace

SerialLine::SerialLine(TransferHost& host, const TSettings& settings)
    : host_(host), settings_(settings),
      opener_([this](const std::string& portText) { return OpenPort(portText, settings_.Ports); }) {
}

SerialLine::~SerialLine() {
    CloseLine();
}

void SerialLine::CloseLine() {
    ForgetInput();
    runSize_ = 0;
    runRoom_ = 0;
    if (handle_) {
        // Whatever is still queued would make the close wait for a stopped line.
        handle_->DiscardOutput();
        handle_.reset();
    }
}

bool SerialLine::AbortKeyDown(AbortStage stage) {
    return stage == AbortStage::Held ? host_.AbortKeyHeld() : host_.AbortKeyPressed();
}

// A stop key of that stage is down: the keys are released for the next wait.
bool SerialLine::KeyStops(AbortStage stage) {
    if (!AbortKeyDown(stage)) {
        return false;
    }
    ReleaseAbortKeys();
    return true;
}

void SerialLine::ReleaseAbortKeys() {
    host_.ReleaseAbortKeys();
}

void SerialLine::StopByKey() {
    abortRequested_ = true;
    stoppedByKey_ = true;
}

// Tests the stop keys the way every wait here does: held first, then what the
// wait does (read, process messages), then pressed. True when the transfer is to stop.
bool SerialLine::StopKeyAround(const std::function<void()>& between) {
    if (KeyStops(AbortStage::Held)) {
        StopByKey();
        return true;
    }
    between();
    if (KeyStops(AbortStage::Pressed)) {
        StopByKey();
        return true;
    }
    return false;
}

bool SerialLine::StopKeyAfterEvents() {
    return StopKeyAround([this] { host_.ProcessEvents(); });
}

LineWait SerialLine::WaitStep() {
    WriteHeldRun();
    LineWait step;
    if (KeyStops(AbortStage::Held)) {
        step.stopped = true;
        return step;
    }
    step.byte = ReadByte();
    step.stopped = KeyStops(AbortStage::Pressed);
    step.lineLost = lineLost_;
    return step;
}

void SerialLine::GrantSending() {
    xon_ = true;
    carrierLatched_ = true;
}

void SerialLine::SendClosingByte(unsigned char ch) {
    xon_ = true;
    bytesSincePoll_ = 0;
    abortRequested_ = false;
    // The stop key that led here must not swallow the byte that tells the far end
    // to stop; a line that takes nothing is given up after a bounded wait instead.
    closingUntilMs_ = host_.NowMs() + kClosingByteWaitMs;
    WriteByte(ch);
    closingUntilMs_.reset();
}

// A stop key ends a wait; while the closing byte waits, only its time limit does.
bool SerialLine::WaitEnds() {
    if (closingUntilMs_)
        return host_.NowMs() >= *closingUntilMs_;
    return StopKeyAfterEvents();
}

void SerialLine::NoteFailure() {
    if (DeviceGone(handle_->LastError())) {
        lineLost_ = true;
        abortRequested_ = true;
    }
}

void SerialLine::ShowLineState(unsigned bits) {
    host_.SetDsrLamp((bits & kModemDsr) != 0);
    host_.SetCtsLamp((bits & kModemCts) != 0);
}

bool SerialLine::UpdateLamps(unsigned* bits) {
    if (!handle_) {
        return false;
    }
    WriteHeldRun();
    // A receive loop asks after every byte; the lines cannot change that fast
    // for anything the program does with them.
    std::int64_t now = host_.NowMs();
    if (!streaming_ || now - modemReadMs_ >= kModemPollMs) {
        unsigned lines = 0;
        modemReadable_ = handle_->GetCommModemStatus(lines);
        streaming_ = false;
        modemReadMs_ = now;
        if (modemReadable_) {
            lastModemBits_ = lines;
            ShowLineState(lines);
        }
    }
    if (modemReadable_ && bits != nullptr) {
        *bits = lastModemBits_;
    }
    return modemReadable_;
}

unsigned char SerialLine::ReadByte() {
    WriteHeldRun();
    return ReadLineByte(true);
}

void SerialLine::ForgetInput() {
    inputNext_ = inputEnd_ = 0;
    streaming_ = false;
}

// One read of the device into the input buffer; false when it brought nothing.
bool SerialLine::FillInput(bool wait) {
    size_t count = 0;
    ReadResult result = handle_->ReadFile(input_.data(), input_.size(), count, wait);
    inputNext_ = 0;
    inputEnd_ = result == ReadResult::Byte ? count : 0;
    if (inputEnd_ > 0) {
        return true;
    }
    streaming_ = false; // the line is idle: a modem read costs the reception nothing now
    if (result == ReadResult::Failed) {
        NoteFailure();
        // A failing device answers at once; pausing keeps a polling loop off the CPU.
        if (wait) {
            host_.Sleep(kHandshakeReadMs);
        }
    }
    return false;
}

// Notes every byte that one read delivered, so that a DC3 behind a DC1 counts.
void SerialLine::TakeWhatArrived(bool wait) {
    do {
        ReadLineByte(wait);
    } while (inputNext_ < inputEnd_);
}

unsigned char SerialLine::ReadLineByte(bool wait) {
    if (!handle_ || (inputNext_ == inputEnd_ && !FillInput(wait))) {
        return 0;
    }
    unsigned char b = input_[inputNext_++];
    streaming_ = true;
    if (b == kDc1) {
        xon_ = true;
        return kDc1;
    }
    // Only a line in EIA alone reads 0x13 as the digit 3; in ISO and in ASCII
    // (a 7-bit line) it is DC3, or a controller on a 7-bit line could not pause us.
    bool eiaOnly = receiveCode_.eiaCode && !receiveCode_.isoCode;
    if (b == kDc3WithParity || (b == kDc3 && !eiaOnly)) {
        xon_ = false;
        return kDc3;
    }
    if (b == 0 || b == kDc2 || b == kDc4) {
        return b;
    }
    if (!receiveCode_.Known()) {
        DetectCode(b, receiveCode_);
    }
    return DecodeByte(b, receiveCode_);
}

// The mode_-1 poll: waits for the far end's permission. False when stopped.
bool SerialLine::Handshake() {
    for (;;) {
        if (StopKeyAround([this] {
                TakeWhatArrived(!xon_);
                host_.ProcessEvents();
            })) {
            return false;
        }
        if (lineLost_) {
            return false;
        }
        unsigned bits = 0;
        if (!carrierLatched_ && handle_->GetCommModemStatus(bits) && (bits & kModemRlsd) != 0) {
            xon_ = true;
            carrierLatched_ = true;
        }
        if (xon_) {
            bytesSincePoll_ = 0;
            return true;
        }
    }
}

// Waits until at most kOutputQueueBound bytes are queued and fewer than
// kBytesInFlightBound are on their way; room tells how many bytes may go now
// within both bounds. In mode_ 1 it watches the far end while it waits, so
// that a DC3 holds back the very byte that was waiting.
SerialLine::Room SerialLine::WaitForRoom(size_t& room, bool afterRun) {
    bool wakeOnInput = true;
    for (;;) {
        // The queue holds at most what it held at the last count plus what was
        // written since: it is counted again only when that could pass the bound.
        int queued = queuedAtMost_;
        if (queued < 0 || queued > kOutputQueueBound) {
            if (!handle_->ClearCommError(queued)) {
                NoteFailure();
                if (lineLost_) {
                    return Room::Stopped;
                }
                queued = 0;
            }
            queuedAtMost_ = queued;
        }
        const int inFlight = handle_->BytesInFlight();
        // Right after a run, which filled the line or ended at the poll, room for
        // a byte or two (one has just left, or a wake-up came late) is taken at
        // the next wake-up with the rest: one write, not two.
        const int target = PacingTarget();
        const bool shortRoom = afterRun && inFlight > target &&
                               kBytesInFlightBound - inFlight < (kBytesInFlightBound - target) / 2;
        if (queued <= kOutputQueueBound && inFlight < kBytesInFlightBound && !shortRoom) {
            // The far end is asked every kPollInterval bytes; a wait that has just
            // watched the line (below) has asked it already.
            if (mode_ == 1 && xon_ && !closingUntilMs_ && bytesSincePoll_ >= kPollInterval) {
                TakeWhatArrived(false);
                bytesSincePoll_ = 0;
                if (!xon_) {
                    return Room::FarEndPaused;
                }
            }
            room = static_cast<size_t>(
                std::min(kBytesInFlightBound - inFlight, kOutputQueueBound + 1 - queued));
            return Room::Ready;
        }
        // A line held by CTS or a driver XOFF never drains: the stop keys must work here too.
        // The closing byte is tried once its wait is over.
        if (closingUntilMs_) {
            if (host_.NowMs() >= *closingUntilMs_) {
                room = 1;
                return Room::Ready;
            }
        } else if (StopKeyAfterEvents()) {
            return Room::Stopped;
        }
        // A DC3 does not hold the closing byte: it is what tells the far end to stop.
        const bool watch = mode_ == 1 && xon_ && !closingUntilMs_;
        const bool arrived = SleepForRoom(PacingWait(queued, inFlight), watch && wakeOnInput);
        if (watch) {
            if (arrived) {
                TakeWhatArrived(false);
                if (!xon_) {
                    return Room::FarEndPaused;
                }
                // Input that was no DC3 (noise, an echo) wakes a wait once, so that
                // a chatty far end cannot wake the sender for every byte it sends.
                wakeOnInput = false;
            }
            // The far end was looked at: the run that follows need not stop for a poll.
            bytesSincePoll_ = 0;
        }
    }
}

// One sleep of a wait for room; with wake, a DC3 that arrives ends it at once.
// False when it is known that nothing arrived.
bool SerialLine::SleepForRoom(std::chrono::microseconds wait, bool wake) {
    // Input already read in and not yet handed out would not wake a sleeper.
    const int fd = wake && inputNext_ == inputEnd_ ? handle_->PollHandle() : -1;
    if (fd < 0) {
        host_.Sleep(
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
        return true;
    }
    return host_.SleepUntilInput(fd, wait);
}

// The sleep until the line needs bytes again: what is on its way down to the
// reserve, or just below the bound on a line so fast that the bound holds less
// than the reserve, and the queue down to its bound. Sleeping a fixed tick
// instead would wake the program a thousand times a second for a few bytes each.
int SerialLine::PacingTarget() const {
    int reserveBytes = 0;
    if (characterTime_.count() > 0) {
        const std::chrono::nanoseconds reserve = std::chrono::milliseconds(kLineReserveMs);
        reserveBytes = static_cast<int>((reserve + characterTime_ - std::chrono::nanoseconds(1)) /
                                        characterTime_);
    }
    return std::min(kBytesInFlightBound - 1, reserveBytes);
}

std::chrono::microseconds SerialLine::PacingWait(int queued, int inFlight) {
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    auto wait = std::chrono::duration_cast<microseconds>(
        std::max(TimeToDrainTo(inFlight, PacingTarget(), characterTime_),
                 TimeToDrainTo(queued, kOutputQueueBound, characterTime_)));
    if (closingUntilMs_) {
        wait = std::min<microseconds>(wait, milliseconds(*closingUntilMs_ - host_.NowMs()));
    }
    return std::clamp<microseconds>(wait, milliseconds(1), milliseconds(kPacingWaitMaxMs));
}

// Writes the run; a terminal whose buffer is full (a pseudo-terminal nobody
// reads) is waited for with messages processed, never by blocking.
void SerialLine::WriteRun() {
    const size_t size = runSize_;
    // The next byte makes room anew: what the line had is used up or stale.
    runSize_ = 0;
    runRoom_ = 0;
    size_t done = 0;
    while (done < size) {
        size_t written = 0;
        WriteResult result = handle_->WriteBytes(run_.data() + done, size - done, written);
        if (result == WriteResult::Written) {
            done += written;
            continue;
        }
        if (result == WriteResult::Failed) {
            NoteFailure(); // otherwise the run counts as sent, as it always has
            break;
        }
        // Modes 2 and 4 have a write timeout, which has run out: the run counts as sent.
        if (mode_ == 2 || mode_ == 4 || WaitEnds()) {
            break;
        }
        handle_->WaitWritable(1);
    }
    if (queuedAtMost_ >= 0) {
        queuedAtMost_ += static_cast<int>(size);
    }
}

void SerialLine::WriteHeldRun() {
    if (runSize_ > 0 && handle_) {
        WriteRun();
    }
}

// Everything that comes before bytes go out: the handshake or the stop keys,
// room on the line, and the rules of the modem lines. How many bytes may go
// now, 0 when none may (the transfer is to stop).
size_t SerialLine::MakeRoom(bool afterRun) {
    size_t room = 0;
    for (;;) {
        // A poll due on a paused line waits for the far end's DC1; on a running
        // one the wait for room asks it (a wait that watched the line already has).
        if (mode_ == 1 && !xon_ && bytesSincePoll_ >= kPollInterval) {
            if (!Handshake()) {
                return 0;
            }
        } else if (!closingUntilMs_ && StopKeyAfterEvents()) {
            return 0;
        }
        Room state = WaitForRoom(room, afterRun);
        if (state == Room::Stopped) {
            return 0;
        }
        if (state == Room::Ready) {
            break;
        }
        bytesSincePoll_ = kPollInterval; // the far end said stop: wait for its DC1 now
    }
    unsigned bits = 0;
    if (handle_->GetCommModemStatus(bits)) {
        lastModemBits_ = bits;
        if ((bits & kModemRlsd) == 0 && options_.carrierEnds) {
            abortRequested_ = true; // this byte still goes out, and no more
            room = 1;
        }
    }
    bool dsr = (lastModemBits_ & kModemDsr) != 0;
    host_.SetDsrLamp(dsr);
    if (!dsr && options_.dsrEnds) {
        abortRequested_ = true;
        return 0;
    }
    host_.SetCtsLamp((lastModemBits_ & kModemCts) != 0);
    return closingUntilMs_ ? 1 : room;
}

void SerialLine::WriteByte(unsigned char ch) {
    const char c = static_cast<char>(ch);
    WriteText(std::string_view(&c, 1));
}

void SerialLine::WriteText(std::string_view text, TextEnd end) {
    if (!handle_) {
        return;
    }
    const SendCode code = selectionSending_ ? SendCode::Unchanged : options_.sendCode;
    for (char c : text) {
        const auto ch = static_cast<unsigned char>(c);
        if (ch == ' ' && options_.dropSpaces) {
            continue;
        }
        std::optional<unsigned char> b = EncodeByte(ch, code);
        if (!b) {
            continue;
        }
        // A run ends where the line has no more room or the far end is to be
        // asked again; the checks of the next byte come after it is written.
        if (runSize_ == runRoom_ || (mode_ == 1 && bytesSincePoll_ >= kPollInterval)) {
            // A stop asked for by that run (or before it) ends the text as the
            // jobs end theirs after a byte; one asked for earlier does not hold
            // back the first run.
            const bool ranBefore = runSize_ > 0;
            WriteRun();
            if ((ranBefore && abortRequested_) || (runRoom_ = MakeRoom(ranBefore)) == 0) {
                return;
            }
        }
        run_[runSize_++] = *b;
        ++bytesSincePoll_;
    }
    if (end == TextEnd::Write) {
        WriteRun();
    }
}

bool SerialLine::Fail(const char* message) {
    host_.ShowBox(HostBox::Plain, "", message);
    return false;
}

bool SerialLine::OpenLine(int lineMode) {
    CloseLine();
    mode_ = lineMode;
    bytesSincePoll_ = 0;
    lineLost_ = false;
    queuedAtMost_ = -1;
    lastModemBits_ = 0;
    if (lineMode < 1 || lineMode > 4) {
        return Fail("通信エラー!!");
    }
    options_ = LineOptionsFor(settings_, lineMode);
    PortOpenResult opened = opener_(options_.portText);
    if (!opened.port) {
        host_.ShowBox(HostBox::Plain, "", options_.portText + "のポートが開きません。!!",
                      opened.detail);
        return false;
    }
    handle_ = std::move(opened.port);
    if (!opened.warning.empty()) {
        host_.ShowBox(HostBox::Warning, "警告", opened.warning);
    }
    if (!Configure(lineMode)) {
        return false;
    }
    UpdateLamps();
    if (!options_.autoSelect) {
        return true;
    }
    return SendSelection();
}

bool SerialLine::Configure(int lineMode) {
    Dcb dcb;
    if (!handle_->GetCommState(dcb)) {
        return Fail("通信エラー!!");
    }
    const SpeedParse& speed = options_.speed;
    if (speed.error == SpeedError::Baud) {
        return Fail("通信設定（速度）を確認してください!!");
    }
    // The port refuses such a size: the operator reads what a refused setting shows.
    if (speed.error == SpeedError::DataBits) {
        return Fail("通信速度の設定エラー!!");
    }
    if (speed.error != SpeedError::None) {
        return Fail("通信エラー!!");
    }
    dcb.BaudRate = speed.format.baud;
    dcb.ByteSize = speed.format.dataBits;
    dcb.parity = speed.format.parity;
    dcb.stopBits = speed.format.stopBits;
    dcb.fParity = false;
    dcb.XonChar = kDc1;
    dcb.XoffChar = options_.dc3WithParity ? kDc3WithParity : kDc3;
    dcb.fAbortOnError = false;
    dcb.fTXContinueOnXoff = false;
    dcb.fNull = true;
    bool driverFlow = lineMode == 2 || lineMode == 4;
    // Without the driver's XON/XOFF, DC1 and DC3 reach the program (the handshake of WriteByte).
    dcb.fInX = driverFlow;
    // The receive line never lets the driver stop its output on a received byte:
    // that driver swallows the stop character, and 0x13 is the EIA digit 3. It
    // still holds the far end with its own XOFF while the input queue is full.
    dcb.fOutX = lineMode == 2;
    if (!driverFlow) {
        dcb.fOutxCtsFlow = false;
    }
    dcb.XonLim = lineMode == 4 ? 1024 : 0;
    dcb.XoffLim = lineMode == 4 ? 3072 : 2;
    if (options_.raiseDtrRts) {
        dcb.fDtrControl = LineControl::Enable;
        dcb.fRtsControl = LineControl::Enable;
    }
    if (!handle_->SetCommState(dcb)) {
        return Fail("通信速度の設定エラー!!");
    }
    characterTime_ = CharacterTime(dcb);
    CommTimeouts timeouts;
    if (!handle_->GetCommTimeouts(timeouts)) {
        return Fail("タイムアウト!!");
    }
    int total = driverFlow ? 1000 : 10;
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = total;
    timeouts.WriteTotalTimeoutConstant = driverFlow ? 1000 : 0;
    if (!handle_->SetCommTimeouts(timeouts)) {
        return Fail("タイムアウト!!");
    }
    handle_->SetupComm(kQueueSize, kQueueSize);
    if (!handle_->PurgeComm()) {
        return Fail("回線初期化エラー!!");
    }
    return true;
}

bool SerialLine::SendSelection() {
    selectionSending_ = true;
    std::optional<std::string> text = host_.AskSelectionText();
    std::string selection = text ? FilterSelectionText(*text) : std::string();
    if (selection.empty()) {
        selectionSending_ = false;
        host_.ShowBox(HostBox::Error, "",
                      "自動選択番号の入力が間違っています。\n通信を一旦中止します。");
        return false;
    }
    stoppedByKey_ = false;
    // A stop key during the selection stops the transfer; the carrier and DSR
    // rules do not, since the switch has not connected the machine yet.
    bool sent = ::SendSelection(
        selection,
        [this](unsigned char c) {
            WriteByte(c);
            return !stoppedByKey_ && !lineLost_;
        },
        [this](int ms) { host_.Sleep(ms); });
    selectionSending_ = false;
    return sent;
}
