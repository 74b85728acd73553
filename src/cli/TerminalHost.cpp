#include "cli/TerminalHost.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Lock-free, so that the handler may touch it.
std::atomic<int> gStopSignals{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
    NoteStopSignal();
}

constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;
constexpr std::int64_t kProgressIntervalMs = 250;

void WriteError(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void NoteStopSignal() {
    gStopSignals.fetch_add(1, std::memory_order_relaxed);
}

void InstallStopSignals() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls keep a read or sleep from failing with EINTR; the flag is
    // seen at the next wait step, as a key press is.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

TerminalHost::TerminalHost(const RunChoices& choices, bool progress)
    : choices_(choices), progress_(progress && !choices.quiet) {
    lastActivityMs_ = NowMs();
}

TerminalHost::~TerminalHost() {
    EndProgressLine();
}

void TerminalHost::ProcessEvents() {
    if (onEvents_)
        onEvents_();
}

void TerminalHost::Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t TerminalHost::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool TerminalHost::StopPending() {
    if (choices_.timeoutSeconds > 0 &&
        NowMs() - lastActivityMs_ > std::int64_t(choices_.timeoutSeconds) * 1000) {
        // One request per silent period: the stop path itself must not be stopped.
        ++timeouts_;
        timedOut_ = true;
        lastActivityMs_ = NowMs();
    }
    const int requests = gStopSignals.load(std::memory_order_relaxed) + timeouts_;
    if (requests <= released_)
        return false;
    seen_ = requests;
    return true;
}

bool TerminalHost::Interrupted() const {
    return gStopSignals.load(std::memory_order_relaxed) > 0;
}

std::string TerminalHost::StopCause() const {
    if (Interrupted())
        return "シグナルで中止しました";
    if (timedOut_)
        return "相手側から " + std::to_string(choices_.timeoutSeconds) +
               " 秒応答がないため中止しました (--timeout)";
    return refusal_;
}

void TerminalHost::EndProgressLine() {
    if (progressShown_) {
        WriteError("\n");
        progressShown_ = false;
    }
}

void TerminalHost::ShowProgress(const std::string& text, bool force) {
    if (!progress_)
        return;
    const std::int64_t now = NowMs();
    if (!force && now - lastProgressMs_ < kProgressIntervalMs)
        return;
    lastProgressMs_ = now;
    WriteError("\r" + text + "\x1b[K");
    progressShown_ = true;
}

void TerminalHost::Say(std::string_view text) {
    EndProgressLine();
    WriteError("dravik-cli: " + OneLine(text) + "\n");
}

void TerminalHost::Tell(std::string_view text) {
    if (!choices_.quiet)
        Say(text);
}

void TerminalHost::Refuse(std::string_view question, std::string_view option) {
    refusal_ = OneLine(question) + " (" + std::string(option) + " で答えます)";
    Say("質問に答えられません: " + refusal_);
}

void TerminalHost::SetStatusText(int panel, std::string_view text) {
    // Panel 3 says what the job is doing now ("送信待機中(信号待ち)", ...).
    if (panel != 3 || text.empty() || text == lastStatus_)
        return;
    lastStatus_ = std::string(text);
    if (progress_)
        Say(text);
}

void TerminalHost::SetMessageLine(std::string_view text, MessageColour colour) {
    // A stop is reported once, with its cause, by StopLine at the end of the command.
    if (colour == MessageColour::Red) {
        stopMessage_ = OneLine(text);
        return;
    }
    // The window repeats the job's last status with "!!"; a terminal has shown it already.
    std::string_view said = text;
    if (said.size() >= 2 && said.substr(said.size() - 2) == "!!")
        said.remove_suffix(2);
    if (progress_ && said == lastStatus_)
        return;
    if (!text.empty())
        Tell(text);
}

std::string TerminalHost::StopLine(std::string_view fallback) const {
    std::string line = stopMessage_.empty() ? std::string(fallback) : stopMessage_;
    const std::string cause = StopCause();
    return cause.empty() ? line : line + ": " + cause;
}

int TerminalHost::AskYesNo(HostBox, std::string_view, std::string_view text) {
    if (choices_.yes) {
        Tell(OneLine(text) + " → はい (--yes)");
        return kAnswerYes;
    }
    Refuse(text, "--yes");
    return kAnswerNo;
}

void TerminalHost::ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                           std::string_view detail) {
    std::string line =
        caption.empty() || caption == "完了" ? std::string() : OneLine(caption) + ": ";
    line += OneLine(text);
    if (!detail.empty())
        line += " (" + OneLine(detail) + ")";
    if (kind == HostBox::Information)
        Tell(line);
    else
        Say(line);
}
