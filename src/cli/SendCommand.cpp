// dravik-cli send: the window's multi-send (the marked files one after the
// other) run by the send job itself, with the terminal as its window.
#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "files/RowFormat.h"
#include "files/TextDocument.h"
#include "platform/Paths.h"
#include "settings/Settings.h"
#include "transfer/HeadlessSendWindow.h"
#include "transfer/SendJob.h"
#include "transfer/SendOptions.h"
#include "transfer/SendTime.h"
#include "transfer/SerialLine.h"

namespace {

// Timer2's interval: the estimate worker runs this often while a text is sent.
constexpr std::int64_t kEstimateIntervalMs = 10000;

// The send job's view of the terminal: the data view is a document of its own,
// the progress bar and Label17 become the progress line.
class TerminalSendWindow : public HeadlessSendWindow {
public:
    TerminalSendWindow(TerminalHost& host, std::string dirPath, SendCounters& counters)
        : host_(host), dirPath_(std::move(dirPath)), worker_(counters) {
        host_.OnEvents([this] { EstimateTick(); });
    }
    ~TerminalSendWindow() override { host_.OnEvents({}); }

    bool LoadFileIntoView(const std::string& name) override {
        const std::string path = JoinPath(dirPath_, name);
        LoadedText loaded = LoadInputFile(path, host_);
        document_.SetText(std::move(loaded.text));
        file_ = name;
        if (loaded.size == kUnknownFileSize || document_.Empty())
            unsent_ = path;
        return loaded.size != kUnknownFileSize;
    }
    void SetProgressRange(int64_t maximum) override {
        total_ = maximum;
        startedMs_ = host_.NowMs();
        ended_ = false;
    }
    void SetProgress(int64_t position) override {
        if (position != position_)
            host_.NoteActivity();
        position_ = position;
        ShowProgress(false);
    }
    void SetRemainingText(const std::string& text) override { remaining_ = text; }
    void StartEstimateTimer() override {
        estimating_ = true;
        nextEstimateMs_ = host_.NowMs() + kEstimateIntervalMs;
    }
    void StopEstimateTimer() override {
        estimating_ = false;
        ShowProgress(true);
    }
    // The job resets the bar after its end: nothing more to draw.
    void HideTransferPanel() override { ended_ = true; }

    // A file of the series that could not be read or was empty: the job ends the
    // series there, so the run did not send everything it was given.
    const std::string& Unsent() const { return unsent_; }

private:
    void EstimateTick() {
        if (estimating_ && host_.NowMs() >= nextEstimateMs_) {
            worker_.Tick();
            nextEstimateMs_ += kEstimateIntervalMs;
        }
    }
    void ShowProgress(bool force) {
        if (ended_)
            return;
        const int64_t elapsedMs = host_.NowMs() - startedMs_;
        const int64_t rate = elapsedMs > 0 ? position_ * 1000 / elapsedMs : 0;
        host_.ShowProgress("送信 " + file_ + "  " + GroupThousands(position_) + "/" +
                               GroupThousands(total_) + " ﾊﾞｲﾄ  " + GroupThousands(rate) +
                               " B/s  " + remaining_,
                           force);
    }

    TerminalHost& host_;
    std::string dirPath_;
    SendTimeWorker worker_;
    std::string file_;
    std::string unsent_;
    std::string remaining_;
    int64_t total_ = 0;
    int64_t position_ = 0;
    std::int64_t startedMs_ = 0;
    bool estimating_ = false;
    bool ended_ = false;
    std::int64_t nextEstimateMs_ = 0;
};

// Every file must be there and hold something to send before the line opens:
// the job would end the series at the first one that does not, as complete.
bool CheckSendFiles(const std::vector<std::string>& paths, TerminalHost& host) {
    for (const std::string& path : paths) {
        if (!CheckInputFile(path, host))
            return false;
        std::error_code ec;
        if (std::filesystem::file_size(path, ec) == 0) {
            host.Say("空のファイルは送信できません: " + path);
            return false;
        }
    }
    return true;
}

} // namespace

int RunSend(const ParsedCommand& parsed, TSettings& settings, TerminalHost& host) {
    std::vector<std::string> paths;
    for (const std::string& operand : parsed.operands)
        paths.push_back(CommandLinePath(operand));
    if (!CheckSendFiles(paths, host))
        return kExitFailed;
    // The job asks the operator to start when the NC does not; only --yes answers.
    if (!SendOptionsFor(settings).ncStarts && !host.Yes()) {
        host.Refuse(kPrepareNcQuestion, "--yes");
        return kExitFailed;
    }
    // The files are named from their common folder, which plays the working
    // folder: the log then names each file by its full path, as the window does.
    settings.DirPath = CommonFolder(paths);
    SendRequest request;
    request.multiSend = true;
    for (const std::string& path : paths)
        request.queue.push_back(RelativeTo(path, settings.DirPath));
    request.fileBeingSent = request.queue.front();

    SendCounters counters;
    TerminalSendWindow window(host, settings.DirPath, counters);
    window.LoadFileIntoView(request.fileBeingSent);
    SerialLine line(host, settings);
    SendJob job(host, window, line, settings, counters);
    const SendOutcome outcome = job.Run(request);
    if (outcome == SendOutcome::Completed && window.Unsent().empty())
        return kExitCompleted;
    if (outcome == SendOutcome::Completed) {
        host.Say("読めないか空のファイルで送信を打ち切りました: " + window.Unsent());
        return kExitFailed;
    }
    host.Say(host.StopLine("送信中止しました。"));
    return kExitFailed;
}
