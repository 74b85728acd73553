// A transfer host for benchmarks: a real clock and real sleeps, no window, no
// keys pressed, every question answered yes. Benchmarks override Sleep where
// the job's own waits are not what they measure.
#pragma once

#include "transfer/TransferHost.h"

#include <chrono>
#include <thread>

class BenchHost : public TransferHost {
public:
    void ProcessEvents() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool AbortKeyHeld() override { return false; }
    bool AbortKeyPressed() override { return false; }
    void ReleaseAbortKeys() override {}
    void SetDsrLamp(bool) override {}
    void SetCtsLamp(bool) override {}
    void SetStatusText(int, std::string_view) override {}
    void SetMessageLine(std::string_view, MessageColour) override {}
    int AskYesNo(HostBox, std::string_view, std::string_view) override { return 6; }
    void ShowBox(HostBox, std::string_view, std::string_view, std::string_view) override {}
    std::optional<std::string> AskSelectionText() override { return std::nullopt; }
};
