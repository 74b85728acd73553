#include "dnc/MachineWorker.h"

#include "dnc/ProgramVersions.h"
#include "dnc/RemoteRequest.h"
#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "platform/FileRead.h"
#include "platform/Paths.h"
#include "platform/SerialDevices.h"
#include "platform/TextCodec.h"
#include "transfer/HeadlessSendWindow.h"
#include "transfer/OneLine.h"
#include "transfer/ReceiveJob.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/ReceiveText.h"
#include "transfer/SendJob.h"
#include "transfer/SendTime.h"
#include "transfer/SerialLine.h"
#include "transfer/TapeCode.h"
#include "transfer/TransferHost.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/eventfd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kAnswerYes = 6;

// Whether a byte of bytes starts a reception, decoded as the receive line
// decodes it while it waits for the start (the code found from that byte alone
// when the setting leaves it open).
bool MayStartReception(std::string_view bytes, int rCode) {
    for (unsigned char b : bytes) {
        ReceiveCode code = ReceiveCodeForSetting(rCode);
        if (!code.Known())
            DetectCode(b, code);
        if (IsReceiveStartChar(DecodeByte(b, code)))
            return true;
    }
    return false;
}

// Outcomes of the server's own log entries, as wide as the jobs' own.
constexpr std::string_view kLogRequestFound = "要求　　受付　";
constexpr std::string_view kLogRequestMissing = "要求　　不在　";
constexpr std::string_view kLogRequestUnread = "要求　　不明　";
constexpr std::string_view kLogVersionChanged = "版保存　変更　";
constexpr std::string_view kLogVersionSame = "版保存　同一　";
constexpr std::string_view kLogDiscarded = "受信　　破棄　";

void Log(std::string_view outcome, std::string_view what) {
    AppendLogEntry(MakeLogEntry(outcome, std::time(nullptr), what));
}

std::string Clock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

} // namespace

// The window's part, played by the machine's own settings: no questions, no
// display; the server's stop and a cleared queue are the stop keys.
class MachineWorker::Host final : public TransferHost {
public:
    explicit Host(MachineWorker& worker) : worker_(worker) {}

    void ProcessEvents() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    // A stop stays down: the stop path's own waits must end as well.
    bool AbortKeyHeld() override { return Stop(); }
    bool AbortKeyPressed() override { return Stop(); }
    void ReleaseAbortKeys() override {}
    void SetDsrLamp(bool) override {}
    void SetCtsLamp(bool) override {}
    void SetStatusText(int panel, std::string_view text) override {
        if (panel != 3)
            return;
        if (text == kReceiveWaiting)
            worker_.SetState(MachineState::Listening);
        else if (text == kReceiving)
            worker_.SetState(MachineState::Receiving);
        else if (text == "送信待機中(信号待ち)")
            worker_.SetState(MachineState::Waiting, subject_);
        else if (text == "＜＜ 送信中 ＞＞")
            worker_.SetState(MachineState::Sending, subject_);
    }
    void SetMessageLine(std::string_view, MessageColour) override {}
    int AskYesNo(HostBox, std::string_view, std::string_view) override { return kAnswerYes; }
    void ShowBox(HostBox, std::string_view, std::string_view text,
                 std::string_view detail) override {
        message_ = OneLine(text);
        if (!detail.empty())
            message_ += " (" + OneLine(detail) + ")";
        worker_.link_.say("[" + worker_.name_ + "] " + message_);
    }
    std::optional<std::string> AskSelectionText() override { return std::nullopt; }

    void SetSubject(std::string subject) { subject_ = std::move(subject); }
    // The last message box's text: why a line could not be opened.
    std::string TakeMessage() { return std::exchange(message_, {}); }

private:
    bool Stop() const { return worker_.link_.stopping->load() || worker_.cancelSend_.load(); }

    MachineWorker& worker_;
    std::string subject_;
    std::string message_;
};

// The receive job's view: only the progress the status shows.
class MachineWorker::ReceiveView final : public ReceiveWindow {
public:
    explicit ReceiveView(MachineWorker& worker) : worker_(worker) {}

    void AppendDataLine(std::string_view line) override {
        bytes_ += std::int64_t(line.size()) + 2;
        worker_.NoteProgress(bytes_, 0);
    }
    void ClearDataView() override {}
    void ListProgram(int, std::string_view line) override {
        worker_.SetState(MachineState::Receiving, ProgramNameOf(line.substr(0, 40)));
    }
    void SetProgress(int) override {}
    void ShowReceivePanel() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void RequestRelist() override {}
    void CloseMainWindow() override {}

private:
    MachineWorker& worker_;
    std::int64_t bytes_ = 0;
};

// The send job's view: a document of its own, filled from the file or the reply.
class MachineWorker::SendView final : public HeadlessSendWindow {
public:
    SendView(MachineWorker& worker, std::string dirPath)
        : worker_(worker), dirPath_(std::move(dirPath)) {}

    void SetReply(std::string text) { document_.SetText(std::move(text)); }

    bool LoadFileIntoView(const std::string& name) override {
        // A file that must be read in pieces is sent as the viewer reads it whole:
        // the server has no one to ask, and the log names what was sent.
        LoadedText loaded = LoadTextForView(JoinPath(dirPath_, name), [] { return true; });
        document_.SetText(std::move(loaded.text));
        return loaded.size != kUnknownFileSize;
    }
    void SetProgressRange(int64_t maximum) override {
        total_ = maximum;
        worker_.NoteProgress(0, total_);
    }
    void SetProgress(int64_t position) override { worker_.NoteProgress(position, total_); }

private:
    MachineWorker& worker_;
    std::string dirPath_;
    int64_t total_ = 0;
};

MachineWorker::MachineWorker(Machine machine, ServerLink link)
    : name_(machine.name), link_(std::move(link)), machine_(std::move(machine)) {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    host_ = std::make_unique<Host>(*this);
    status_.name = name_;
    status_.reason = "開いていません";
}

MachineWorker::~MachineWorker() {
    Retire();
    if (thread_.joinable())
        thread_.join();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void MachineWorker::Start() {
    thread_ = std::thread([this] { Run(); });
}

void MachineWorker::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

PortOpenResult MachineWorker::Lent(bool keepInput, int coalesceMs) {
    PortOpenResult result;
    result.port = held_->Lend(keepInput, coalesceMs);
    return result;
}

std::string MachineWorker::StagingPath() const {
    return JoinPath(machine_.settings.DirPath, kStagingFolder);
}

Machine MachineWorker::Config() const {
    std::lock_guard lock(mutex_);
    return pending_ ? *pending_ : machine_;
}

void MachineWorker::Reconfigure(Machine machine) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(machine);
    }
    Wake();
}

void MachineWorker::Retire() {
    {
        std::lock_guard lock(mutex_);
        retire_ = true;
    }
    Wake();
}

bool MachineWorker::Ending() const {
    std::lock_guard lock(mutex_);
    return retire_ || link_.stopping->load();
}

MachineStatus MachineWorker::Status() const {
    std::lock_guard lock(mutex_);
    MachineStatus status = status_;
    status.queued = queue_.size();
    return status;
}

void MachineWorker::SetState(MachineState state, std::string subject) {
    std::lock_guard lock(mutex_);
    if (status_.state != state || !subject.empty())
        status_.subject = std::move(subject);
    if (status_.state != state) {
        status_.bytes = 0;
        status_.total = 0;
    }
    status_.state = state;
}

void MachineWorker::NoteProgress(std::int64_t bytes, std::int64_t total) {
    std::lock_guard lock(mutex_);
    status_.bytes = bytes;
    status_.total = total;
}

void MachineWorker::NoteLast(std::string last) {
    std::lock_guard lock(mutex_);
    status_.last = Clock() + " " + last;
}

std::string MachineWorker::ResolveQueued(const std::string& file) const {
    if (file.find('/') != std::string::npos)
        return file;
    const std::string folder = Config().settings.DirPath;
    const std::string found = FindFileAnyCase(folder, file);
    return found.empty() ? JoinPath(folder, file) : found;
}

std::string MachineWorker::Queue(const std::vector<std::string>& files) {
    std::vector<std::string> paths;
    for (const std::string& file : files) {
        const std::string path = ResolveQueued(file);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec) || ::access(path.c_str(), R_OK) != 0)
            return "ファイルを読めません: " + path;
        if (fs::file_size(path, ec) == 0)
            return "空のファイルは送信できません: " + path;
        paths.push_back(path);
    }
    {
        std::lock_guard lock(mutex_);
        queue_.insert(queue_.end(), paths.begin(), paths.end());
    }
    Wake();
    return {};
}

size_t MachineWorker::ClearQueue() {
    size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = queue_.size();
        queue_.clear();
        // A queued file not yet started by the controller goes too; one being
        // sent is finished.
        if (sendingQueued_ && status_.state == MachineState::Waiting) {
            cancelSend_ = true;
            ++count;
        }
    }
    Wake();
    return count;
}

std::optional<MachineWorker::Outgoing> MachineWorker::TakeQueued() {
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return std::nullopt;
    Outgoing item;
    item.path = queue_.front();
    item.name = fs::path(item.path).filename().string();
    item.queued = true;
    queue_.pop_front();
    return item;
}

void MachineWorker::Run() {
    SetThreadLogOrigin(&origin_);
    ApplyPending();
    while (!Ending()) {
        if (ApplyPending())
            continue;
        if (!held_ && !OpenLine()) {
            WaitForInput(-1, {link_.stopFd, wakeFd_}, kDownRetryMs);
            continue;
        }
        if (std::optional<Outgoing> item = TakeQueued()) {
            Send(*item, false);
            continue;
        }
        SetState(MachineState::Listening);
        const bool listen = machine_.autoReceive || machine_.request;
        const int fd = held_->Port().PollHandle();
        // A port without a descriptor to sleep on is looked at once a second.
        const bool input = listen && WaitForInput(fd, {link_.stopFd, wakeFd_}, fd < 0 ? 1000 : -1);
        if ((input || (listen && fd < 0)) && !Ending())
            Receive();
    }
    held_.reset();
    SetThreadLogOrigin(nullptr);
    finished_ = true;
}

// New settings from a reload: the line is opened again with them.
bool MachineWorker::ApplyPending() {
    const bool first = origin_.machine.empty();
    {
        // The server reads machine_ (Config) under the lock; only this thread writes it.
        std::lock_guard lock(mutex_);
        if (!pending_ && !first)
            return false;
        if (pending_)
            machine_ = std::move(*pending_);
        pending_.reset();
    }
    held_.reset();
    origin_.machine = name_;
    origin_.folder = machine_.settings.DirPath;
    origin_.stagedIn = StagingPath();
    origin_.echo = [this](std::string_view entry) {
        link_.say(entry.substr(0, entry.find_last_not_of('\n') + 1));
    };
    // What a reception stopped by a crash left behind is a reception too.
    PlaceStaged();
    return true;
}

bool MachineWorker::OpenLine() {
    const TSettings& settings = machine_.settings;
    PortOpenResult opened = OpenPort(settings.Port2, settings.Ports);
    if (!opened.port) {
        GoDown(opened.detail.empty() ? std::strerror(opened.error) : opened.detail);
        return false;
    }
    held_ = std::make_unique<HeldPort>(std::move(opened.port), WakeFds{link_.stopFd, wakeFd_});
    // The receive line's parameters, set by the line code the jobs use.
    SerialLine line(*host_, settings);
    line.SetPortOpener([this](const std::string&) { return Lent(false, 0); });
    const bool configured = line.OpenLine(4);
    line.CloseLine();
    if (!configured) {
        GoDown(host_->TakeMessage());
        return false;
    }
    if (status_.state == MachineState::Down && !lastSaid_.empty())
        link_.say("[" + name_ + "] 回線を開きました: " + machine_.port);
    lastSaid_.clear();
    SetState(MachineState::Listening);
    return true;
}

void MachineWorker::GoDown(const std::string& reason) {
    held_.reset();
    {
        std::lock_guard lock(mutex_);
        status_.state = MachineState::Down;
        status_.reason = reason;
        status_.subject.clear();
    }
    // The same reason every 10 s says nothing new.
    if (reason != lastSaid_)
        link_.say("[" + name_ + "] down: " + reason + " (10 秒ごとに再試行)");
    lastSaid_ = reason;
}

void MachineWorker::Receive() {
    const ReadResult peek = held_->Peek();
    if (peek == ReadResult::Failed && DeviceGone(held_->Port().LastError())) {
        GoDown("回線が切れました: " + machine_.port);
        return;
    }
    // A controller switched to read says DC1 to an idle line, a line may bring
    // noise: bytes that the receive job would forget while it waits for the tape's
    // start must not hold the line in a reception that never starts.
    if (!MayStartReception(held_->Pending(), machine_.settings.R_Code)) {
        held_->Pending().clear();
        return;
    }
    TSettings settings = machine_.settings;
    settings.DirPath = StagingPath();
    std::error_code ec;
    fs::create_directory(settings.DirPath, ec);
    ReceiveView view(*this);
    SerialLine line(*host_, settings);
    line.SetPortOpener([this](const std::string&) { return Lent(true, kReceiveGatherMs); });
    const ReceiveOutcome outcome = ReceiveJob(*host_, view, line, settings).Run({});
    const bool lost = line.LineLost();
    std::string subject = Status().subject;
    const std::vector<Request> requests = PlaceStaged();
    NoteLast("受信 " + (subject.empty() ? std::string("-") : subject) + " " +
             (outcome == ReceiveOutcome::Completed ? "完了" : "中止"));
    if (lost) {
        GoDown("回線が切れました: " + machine_.port);
        return;
    }
    for (const Request& request : requests) {
        if (Ending())
            break;
        Answer(request);
    }
}

// Moves what the reception wrote into the machine's folder, oldest first;
// request programs are taken out and returned.
std::vector<MachineWorker::Request> MachineWorker::PlaceStaged() {
    std::vector<Request> requests;
    std::vector<fs::directory_entry> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(StagingPath(), ec))
        if (entry.is_regular_file(ec))
            files.push_back(entry);
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        std::error_code e;
        return a.last_write_time(e) < b.last_write_time(e) ||
               (a.last_write_time(e) == b.last_write_time(e) && a.path() < b.path());
    });
    for (const fs::directory_entry& entry : files) {
        const std::string staged = entry.path().string();
        std::string text;
        ReadWholeFile(staged, text);
        if (machine_.request && IsRequestProgram(text, machine_.requestProgram)) {
            const size_t open = text.find('(');
            const size_t close = text.find(')', open);
            requests.push_back({RequestedProgram(text), open == std::string::npos
                                                            ? std::string()
                                                            : text.substr(open, close - open + 1)});
            ::unlink(staged.c_str());
            continue;
        }
        if (!machine_.autoReceive) {
            Log(kLogDiscarded,
                JoinPath(machine_.settings.DirPath, entry.path().filename().string()));
            ::unlink(staged.c_str());
            continue;
        }
        const PlacedProgram placed =
            PlaceReceivedProgram(staged, machine_.settings.DirPath, std::time(nullptr));
        if (!placed.error.empty())
            link_.say("[" + name_ + "] 受信ファイルを置けません: " + placed.error);
        else if (!placed.versionPath.empty())
            Log(placed.differed ? kLogVersionChanged : kLogVersionSame, placed.versionPath);
    }
    return requests;
}

void MachineWorker::Answer(const Request& request) {
    if (!request.program) {
        Log(kLogRequestUnread, machine_.requestProgram + request.comment);
        return;
    }
    const TSettings& settings = machine_.settings;
    Outgoing item;
    item.path = FindProgramFile(settings.DirPath, *request.program, MaskExtension(settings.Mask));
    if (item.path.empty()) {
        Log(kLogRequestMissing, *request.program + " (NOT FOUND)");
        item.name = machine_.requestProgram + "(NOT FOUND " + *request.program + ")";
        item.replyText = NotFoundReply(machine_.requestProgram, *request.program,
                                       settings.StartChar == "Y", settings.EndChar == "Y");
    } else {
        Log(kLogRequestFound, *request.program + " → " + item.path);
        item.name = fs::path(item.path).filename().string();
    }
    // What the punch left on the line goes; what the controller says while the
    // operator switches it to read (its DC1) is kept for the send.
    held_->Purge();
    SetState(MachineState::Waiting, "要求 " + *request.program + " " +
                                        std::to_string(machine_.requestDelaySeconds) + " 秒後");
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::seconds(machine_.requestDelaySeconds);
    while (!link_.stopping->load()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        WaitForInput(-1, {link_.stopFd, wakeFd_}, int(left.count()));
    }
    if (!link_.stopping->load())
        Send(item, true);
}

bool MachineWorker::Send(const Outgoing& item, bool keepInput) {
    TSettings settings = machine_.settings;
    settings.DirPath = item.path.empty() ? settings.DirPath : ParentPath(item.path);
    // A queued file goes when the controller asks for it, whatever the machine's Signal1.
    if (item.queued)
        settings.Signal1 = "Y";
    SendView view(*this, settings.DirPath);
    if (item.path.empty())
        view.SetReply(item.replyText);
    else
        view.LoadFileIntoView(item.name);
    {
        std::lock_guard lock(mutex_);
        sendingQueued_ = item.queued;
    }
    cancelSend_ = false;
    host_->SetSubject(item.name);
    SetState(MachineState::Waiting, item.name);
    SendCounters counters;
    SerialLine line(*host_, settings);
    line.SetPortOpener([this, keepInput](const std::string&) { return Lent(keepInput, 0); });
    SendRequest request;
    request.fileBeingSent = item.name;
    const SendOutcome outcome = SendJob(*host_, view, line, settings, counters).Run(request);
    {
        std::lock_guard lock(mutex_);
        sendingQueued_ = false;
    }
    cancelSend_ = false;
    NoteLast("送信 " + item.name + " " + (outcome == SendOutcome::Completed ? "完了" : "中止"));
    if (line.LineLost())
        GoDown("回線が切れました: " + machine_.port);
    return outcome == SendOutcome::Completed;
}
