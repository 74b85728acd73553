#include "transfer/SendJob.h"

#include "files/TextDocument.h"
#include "platform/Paths.h"
#include "transfer/SendText.h"
#include "transfer/SerialLine.h"
#include "transfer/ShutdownAfterTransfer.h"
#include "transfer/TapeCode.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferLog.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr unsigned char kDc1 = 0x11;
constexpr unsigned char kDc3 = 0x13;
constexpr unsigned char kDc4 = 0x14;

constexpr const char* kWaitingForNc = "送信待機中(信号待ち)";
constexpr const char* kSending = "＜＜ 送信中 ＞＞";
constexpr const char* kCompleted = "送信完了しました。";
constexpr const char* kStopped = "送信中止しました。";
constexpr int kYes = 6;
constexpr int kPreSendBlanks = 200;

} // namespace

int64_t CountedBytes(const TextDocument& document) {
    int64_t total = 0;
    for (size_t i = 0; i < document.LineCount(); ++i)
        total += int64_t(document.Line(i).size()) + 2;
    return total;
}

SendJob::SendJob(TransferHost& host, SendWindow& window, SerialLine& line,
                 const TSettings& settings, SendCounters& counters)
    : host_(host), window_(window), line_(line), settings_(settings), counters_(counters) {}

SendOutcome SendJob::Run(const SendRequest& request) {
    try {
        return RunSteps(request);
    } catch (...) {
        return Fail();
    }
}

SendOutcome SendJob::RunSteps(const SendRequest& request) {
    // Only a press during the job stops it: Esc while browsing or in a question
    // before the job is still recorded as pressed.
    line_.ReleaseAbortKeys();
    options_ = SendOptionsFor(settings_);
    file_ = request.fileBeingSent;
    position_ = 1;
    unsent_ = 0;
    lineNumber_ = 0;
    if (!line_.OpenLine(1))
        return Stop();
    if (window_.DataView().Empty())
        return Stop();
    window_.SuspendScreenSaver();
    // DC1 and DC3 from the NC are read in the code the program goes out in.
    line_.SetReceiveCode(ReceiveCodeFor(options_.sendCode));
    if (!request.keepStatusPanel0)
        host_.SetStatusText(0, "送信名 " + file_);
    counters_.StartFile(CountedBytes(window_.DataView()));
    line_.ClearStopRequest();

    if (options_.ncStarts ? !WaitForNcStart() : !AskOperatorToStart())
        return Stop();
    if (options_.feedMm > 0 && !WriteBlanks(FeedLength(options_.feedMm)))
        return Stop();

    host_.SetStatusText(3, kSending);
    counters_.sent = 0;
    window_.SetProgressRange(counters_.total);
    window_.StartEstimateTimer();
    if (options_.sendBefore == 1 && !WriteBlanks(kPreSendBlanks))
        return Stop();
    if (options_.sendBefore == 2)
        host_.Sleep(1000);
    if (!WriteText(options_.startCharacters))
        return Stop();

    for (;;) {
        if (!SendText())
            return Stop();
        window_.StopEstimateTimer();
        window_.SetRemainingText(RemainingBytesText(0));
        if (!request.multiSend || position_ >= request.queue.size() || !NextMarkedFile(request))
            break;
    }
    return Complete(request);
}

// The NC starts the transfer: DC1 or "%" from it; with op2 its DC3 or DC4 refuses.
bool SendJob::WaitForNcStart() {
    host_.SetStatusText(3, kWaitingForNc);
    for (;;) {
        const LineWait step = line_.WaitStep();
        if (step.stopped)
            return false;
        host_.ProcessEvents();
        const unsigned char c = step.byte;
        if (c == kDc1 || c == '%') {
            host_.SetStatusText(3, kSending);
            line_.PollOnNextWrite(); // the first write polls at once
            line_.GrantSending();
            return true;
        }
        if (options_.ncMayRefuse && (c == kDc3 || c == kDc4))
            return false;
        // A line that has gone (the adapter pulled, the far end closed) never starts.
        if (step.lineLost)
            return false;
        line_.UpdateLamps();
    }
}

bool SendJob::AskOperatorToStart() {
    line_.GrantSending();
    line_.UpdateLamps();
    if (host_.AskYesNo(HostBox::Warning, "", kPrepareNcQuestion) != kYes)
        return false;
    host_.SetStatusText(0, "送信名 " + file_);
    return true;
}

// Characters through the line, in runs as it has room; false when the transfer is to stop.
bool SendJob::WriteText(std::string_view text) {
    line_.WriteText(text);
    return !line_.StopRequested();
}

bool SendJob::Write(unsigned char ch) {
    const char c = static_cast<char>(ch);
    return WriteText(std::string_view(&c, 1));
}

bool SendJob::WriteBlanks(int count) {
    return WriteText(std::string(static_cast<size_t>(std::max(count, 0)), ' '));
}

// Every line of the data view once, whatever its line ends: the loop runs over the
// lines, not over a byte count that LF or LF CR CR files would miss.
bool SendJob::SendText() {
    const TextDocument& document = window_.DataView();
    line_.RestartPollCount();
    window_.SelectDataLine(0);
    for (lineNumber_ = 1; lineNumber_ <= document.LineCount(); ++lineNumber_) {
        const std::string text(document.Line(lineNumber_ - 1));
        if (!text.empty() && text[0] == 'O' && lineNumber_ > 3 && options_.feedBetweenMm > 0 &&
            !WriteBlanks(FeedLength(options_.feedBetweenMm)))
            return false;
        window_.SelectDataLine(lineNumber_ - 1);
        const LinePlan plan = PlanLine(text, options_.lineRules);
        // The next line's first bytes may share a write with this one's last,
        // but not across the wait after a program end or after the last line.
        const bool more = !plan.programEnd && lineNumber_ < document.LineCount();
        if (!plan.skip && !SendLine(plan.chars, more))
            return false;
        counters_.sent += plan.counted;
        if (plan.programEnd)
            host_.Sleep(5);
        window_.SetRemainingText(
            RemainingText(counters_.total - counters_.sent + 1, counters_.remainingSeconds));
        window_.SetProgress(counters_.sent);
    }
    // The last lines may have been skipped ("%"): what the line sent before waits.
    line_.WriteHeldRun();
    return !line_.StopRequested();
}

// One line and its line feed: a line at a time goes to the line in runs (with
// more, the last run may wait for the next line); with a character delay,
// character by character with the delay after each one.
bool SendJob::SendLine(const std::string& chars, bool more) {
    if (options_.characterDelayMs > 0) {
        for (unsigned char ch : chars) {
            if (!Write(ch))
                return false;
            host_.Sleep(options_.characterDelayMs);
        }
        return Write('\n');
    }
    lineBytes_.assign(chars);
    lineBytes_ += '\n';
    line_.WriteText(lineBytes_, more ? SerialLine::TextEnd::Continues : SerialLine::TextEnd::Write);
    return !line_.StopRequested();
}

// The next marked file into the data view; false when it is empty (the series ends).
bool SendJob::NextMarkedFile(const SendRequest& request) {
    LogEntry(true);
    ++position_;
    window_.ClearDataView();
    window_.HighlightQueueEntry(int(position_) - 1);
    const std::string& name = request.queue[position_ - 1];
    if (!window_.LoadFileIntoView(name))
        window_.ClearDataView(); // unreadable: ends the series like an empty file
    if (window_.DataView().Empty())
        unsent_ = request.queue.size() - position_ + 1;
    const int64_t total = CountedBytes(window_.DataView());
    counters_.StartFile(total);
    window_.SetRemainingText(RemainingBytesText(total));
    file_ = name;
    host_.SetStatusText(0, "送信名 " + file_);
    window_.SetProgressRange(total);
    window_.StartEstimateTimer();
    return !window_.DataView().Empty();
}

void SendJob::LogEntry(bool completed) {
    AppendLogEntry(MakeLogEntry(completed ? kLogSendCompleted : kLogSendStopped, std::time(nullptr),
                                JoinPath(options_.dirPath, file_)));
}

void SendJob::ClearStatusPanels() {
    for (int panel : {4, 5, 6, 0, 2})
        host_.SetStatusText(panel, "");
}

SendOutcome SendJob::Complete(const SendRequest& request) {
    window_.StopEstimateTimer();
    if (!WriteText(options_.endCharacters))
        return Stop();
    // A file that ended the series early was not sent: logged as such, never as done.
    LogEntry(unsent_ == 0);
    if (options_.feedMm > 0 && !(WriteBlanks(FeedLength(options_.feedMm)) && Write(kDc4)))
        return Stop();
    host_.Sleep(4000); // the driver drains its queue before the close
    line_.CloseLine();
    if (request.exitAfterTransfer)
        ShutdownAfterTransfer(options_.powerOff, [this] { window_.CloseMainWindow(); });
    host_.SetStatusText(3, kCompleted);
    window_.ClearDataView();
    window_.HideTransferPanel();
    host_.SetMessageLine(std::string(kCompleted) + "!!", MessageColour::Lime);
    window_.StartReturnToIdle(3000);
    window_.SetProgress(0);
    window_.EnableFileList();
    ClearStatusPanels();
    window_.ClearMarks();
    // What was sent is complete, but the operator must know the series was cut.
    if (unsent_ > 0)
        host_.ShowBox(HostBox::Warning, "警告",
                      file_ + "は空のファイルか読めないため、このファイルから" +
                          std::to_string(unsent_) + "ファイルを送信していません。");
    return SendOutcome::Completed;
}

SendOutcome SendJob::Stop() {
    // As the reception says it: a pulled cable or a dropped device server.
    if (line_.LineLost())
        host_.ShowBox(HostBox::Error, "", "通信回線が切断されました。送信を中止します。");
    if (line_.IsOpen()) {
        // DC4 tells the far end that nothing more comes.
        line_.SendClosingByte(kDc4);
        // The close discards what is still queued: give the DC4 time to leave.
        host_.Sleep(kLastByteLeaveMs);
    }
    CloseAndShowStopped();
    window_.ClearMarks();
    LogEntry(false);
    return ReturnAfterStop();
}

// An unexpected failure: the stop entry first, then the stop path without DC4
// and without touching the marks.
SendOutcome SendJob::Fail() {
    // The lines before the failure count as sent: the last of them may still wait.
    line_.WriteHeldRun();
    LogEntry(false);
    CloseAndShowStopped();
    return ReturnAfterStop();
}

void SendJob::CloseAndShowStopped() {
    window_.StopEstimateTimer();
    line_.CloseLine();
    ClearStatusPanels();
    host_.SetStatusText(3, kStopped);
    window_.ClearDataView();
    window_.HideTransferPanel();
    host_.SetMessageLine(std::string(kStopped) + "!!", MessageColour::Red);
}

SendOutcome SendJob::ReturnAfterStop() {
    window_.StartReturnToIdle(1000);
    window_.SetProgress(0);
    window_.EnableFileList();
    return SendOutcome::Stopped;
}
