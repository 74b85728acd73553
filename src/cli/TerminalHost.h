// The terminal as the transfer jobs and NC tools see it, in place of the main
// window: real sleeps and clock, Ctrl+C (SIGINT, SIGTERM) in place of F3/Esc,
// message boxes as one line each on standard error, questions answered by the
// run's options (never by waiting for input), and one progress line that is
// rewritten in place while standard error is a terminal.
#pragma once

#include "cli/RunOptions.h"
#include "transfer/OneLine.h"
#include "transfer/TransferHost.h"

#include <cstdint>
#include <functional>
#include <string>

// Called from the signal handler: one stop request. Only a counter moves there.
void NoteStopSignal();
// Installs NoteStopSignal for SIGINT and SIGTERM.
void InstallStopSignals();

class TerminalHost : public TransferHost {
public:
    // progress: standard error is a terminal and the run is not quiet.
    TerminalHost(const RunChoices& choices, bool progress);
    ~TerminalHost() override;

    void ProcessEvents() override;
    void Sleep(int ms) override;
    std::int64_t NowMs() override;

    // A stop signal, or the timeout running out, is "down" until the job lets go
    // of it: a signal that came before the job started is still seen by it.
    bool AbortKeyHeld() override { return StopPending(); }
    bool AbortKeyPressed() override { return StopPending(); }
    void ReleaseAbortKeys() override { released_ = seen_; }

    void SetDsrLamp(bool) override {}
    void SetCtsLamp(bool) override {}
    void SetStatusText(int panel, std::string_view text) override;
    void SetMessageLine(std::string_view text, MessageColour colour) override;
    int AskYesNo(HostBox kind, std::string_view caption, std::string_view text) override;
    void ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                 std::string_view detail = {}) override;
    std::optional<std::string> AskSelectionText() override { return choices_.selection; }

    // What the command itself needs.
    const RunChoices& Choices() const { return choices_; }
    bool Yes() const { return choices_.yes; }
    // The transfer moved: the timeout counts from here.
    void NoteActivity() { lastActivityMs_ = NowMs(); }
    // Called with every ProcessEvents (the send's estimate ticks).
    void OnEvents(std::function<void()> hook) { onEvents_ = std::move(hook); }
    // Rewrites the progress line (at most every few tenths of a second unless forced).
    void ShowProgress(const std::string& text, bool force = false);
    // One line on standard error, after the progress line.
    void Say(std::string_view text);
    // A line that --quiet leaves out.
    void Tell(std::string_view text);
    // Why a question was refused, or empty.
    const std::string& Refusal() const { return refusal_; }
    void Refuse(std::string_view question, std::string_view option);
    bool Interrupted() const;
    bool TimedOut() const { return timedOut_; }
    // The one-line cause of a stop that the job itself did not report, or empty.
    std::string StopCause() const;
    // The job's stop message (or fallback) with its cause: the last line of a stopped run.
    std::string StopLine(std::string_view fallback) const;

private:
    bool StopPending();
    void EndProgressLine();

    RunChoices choices_;
    bool progress_;
    int timeouts_ = 0;
    int released_ = 0;
    int seen_ = 0;
    bool timedOut_ = false;
    std::int64_t lastActivityMs_ = 0;
    std::int64_t lastProgressMs_ = -1000000;
    bool progressShown_ = false;
    std::string lastStatus_;
    std::string refusal_;
    std::string stopMessage_;
    std::function<void()> onEvents_;
};
