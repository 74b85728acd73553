#include "transfer/ReceiveJob.h"

#include "platform/SerialPort.h"
#include "transfer/SerialLine.h"
#include "transfer/ShutdownAfterTransfer.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferLog.h"

#include <ctime>
#include <exception>

namespace {

constexpr unsigned char kDc1 = 0x11;
constexpr unsigned char kDc4 = 0x14;
// After the closing DC4 the far end gets this long before the line closes.
constexpr int kCloseDelayMs = 3000;

std::string WithMarks(std::string_view text) {
    return std::string(text) + "!!";
}

} // namespace

ReceiveJob::ReceiveJob(TransferHost& host, ReceiveWindow& window, SerialLine& line,
                       const TSettings& settings)
    : host_(host), window_(window), line_(line), settings_(settings) {}

ReceiveOutcome ReceiveJob::Run(const ReceiveRequest& request) {
    // Only a press during the job stops it: Esc while browsing or in the save
    // question before the job is still recorded as pressed.
    line_.ReleaseAbortKeys();
    options_ = ReceiveOptionsFor(settings_);
    window_.ShowReceivePanel();
    ReceiveSession session(
        ReceivePlanFor(settings_, request.namedMode, request.targetPath, std::time(nullptr)),
        window_);
    Ending ending = Ending::Failed;
    std::string failure;
    try {
        ending = RunSteps(request, session);
        if (ending == Ending::Completed || ending == Ending::Saved) {
            host_.SetStatusText(3, kReceiveSaving);
            if (session.Finish(ending == Ending::Completed))
                return Complete(session, request);
            ending = Ending::Failed;
        }
        failure = session.Error();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown error";
    }
    switch (ending) {
    case Ending::LineLost:
        host_.ShowBox(HostBox::Error, "", "通信回線が切断されました。受信を中止します。");
        session.RemoveFileInProgress();
        return Stop(session, true);
    case Ending::Stopped:
        session.RemoveFileInProgress();
        return Stop(session, true);
    default:
        // What was written stays; the far end is not told, as nothing was decided with it.
        host_.ShowBox(HostBox::Error, "", "受信データを保存できませんでした。\n" + failure);
        return Stop(session, false);
    }
}

ReceiveJob::Ending ReceiveJob::RunSteps(const ReceiveRequest& request, ReceiveSession& session) {
    host_.SetStatusText(0, request.namedMode ? "受信名 " + request.fileBeingReceived
                                             : std::string("受信名 自動保存"));
    if (!session.Open())
        return Ending::Failed;
    if (options_.reader)
        StartReader();
    if (!line_.OpenLine(4))
        return Ending::Stopped;
    line_.GrantSending();
    line_.SetReceiveCode(options_.code);

    unsigned char startChar = 0;
    if (!WaitForStart(startChar))
        return line_.LineLost() ? Ending::LineLost : Ending::Stopped;
    host_.SetStatusText(3, kReceiving);
    session.Start(startChar);
    return ReceiveBytes(session);
}

// A tape reader starts reading at DC1 on the send line; the line is closed again
// before the receive line opens (both may be the same port).
void ReceiveJob::StartReader() {
    line_.OpenLine(2);
    host_.ShowBox(HostBox::Plain, "確認", kReaderPrompt);
    line_.SendClosingByte(kDc1);
    host_.Sleep(kLastByteLeaveMs);
    line_.CloseLine();
}

// The far end always starts the reception. Until it does, every byte that is not
// a start character is forgotten, and with automatic code detection so is the
// code it suggested: a leader "%" with its parity bit must not fix the code.
bool ReceiveJob::WaitForStart(unsigned char& startChar) {
    host_.SetStatusText(3, kReceiveWaiting);
    for (;;) {
        const LineWait step = line_.WaitStep();
        if (step.stopped)
            return false;
        host_.ProcessEvents();
        if (step.lineLost)
            return false;
        if (IsReceiveStartChar(step.byte)) {
            startChar = step.byte;
            return true;
        }
        if (!options_.code.Known())
            line_.SetReceiveCode(kUndecidedCode);
    }
}

ReceiveJob::Ending ReceiveJob::ReceiveBytes(ReceiveSession& session) {
    const Ending byKey = options_.saveOnStop ? Ending::Saved : Ending::Stopped;
    for (;;) {
        const LineWait step = line_.WaitStep();
        if (step.stopped)
            return byKey;
        if (step.lineLost)
            return Ending::LineLost;
        unsigned bits = 0;
        if (line_.UpdateLamps(&bits) && (bits & kModemDsr) == 0 && options_.dsrEnds) {
            session.KeepPartialLine();
            return Ending::Completed;
        }
        switch (session.Take(step.byte)) {
        case ReceiveSession::Step::End:
            return Ending::Completed;
        case ReceiveSession::Step::Failed:
            return Ending::Failed;
        case ReceiveSession::Step::Next:
            break;
        }
        host_.ProcessEvents();
    }
}

ReceiveOutcome ReceiveJob::Complete(ReceiveSession& session, const ReceiveRequest& request) {
    line_.SendClosingByte(kDc4);
    host_.Sleep(kCloseDelayMs);
    line_.CloseLine();
    window_.SetProgress(0);
    host_.SetStatusText(3, kReceiveCompleted);
    window_.HideTransferPanel();
    host_.SetMessageLine(WithMarks(kReceiveCompleted), MessageColour::Lime);
    AppendLogEntry(MakeLogEntry(kLogReceiveCompleted, std::time(nullptr), session.LastPath()));
    if (request.exitAfterTransfer)
        ShutdownAfterTransfer(options_.powerOff, [this] { window_.CloseMainWindow(); });
    window_.RequestRelist();
    window_.StartReturnToIdle(3000);
    window_.EnableFileList();
    ClearStatusPanels();
    return ReceiveOutcome::Completed;
}

ReceiveOutcome ReceiveJob::Stop(ReceiveSession& session, bool sendDc4) {
    if (sendDc4 && line_.IsOpen()) {
        line_.SendClosingByte(kDc4);
        // The close discards what is still queued: give the DC4 time to leave.
        if (!line_.LineLost())
            host_.Sleep(kLastByteLeaveMs);
    }
    AppendLogEntry(MakeLogEntry(kLogReceiveStopped, std::time(nullptr), session.TargetPath()));
    line_.CloseLine();
    ClearStatusPanels();
    host_.SetStatusText(3, kReceiveStopped);
    window_.ClearDataView();
    window_.HideTransferPanel();
    host_.SetMessageLine(WithMarks(kReceiveStopped), MessageColour::Red);
    window_.SetProgress(0);
    window_.StartReturnToIdle(1000);
    window_.EnableFileList();
    return ReceiveOutcome::Stopped;
}

void ReceiveJob::ClearStatusPanels() {
    for (int panel : {4, 5, 6, 0, 2})
        host_.SetStatusText(panel, "");
}
