// The main window as the TransferHost of the receive job: event processing,
// sleeps and the clock, the F3/Esc key state seen whatever widget has the focus,
// the two signal lamps, the status panels and the message line, and the
// program's message boxes.
#pragma once

#include "transfer/TransferHost.h"

#include <functional>
#include <optional>

class KeyStateFilter;
class TForm1;

class TWindowHost : public TransferHost {
public:
    explicit TWindowHost(TForm1& form);
    ~TWindowHost() override;

    void ProcessEvents() override;
    void Sleep(int ms) override;
    std::int64_t NowMs() override;
    bool AbortKeyHeld() override;
    bool AbortKeyPressed() override;
    void ReleaseAbortKeys() override;
    void SetDsrLamp(bool on) override;
    void SetCtsLamp(bool on) override;
    void SetStatusText(int panel, std::string_view text) override;
    void SetMessageLine(std::string_view text, MessageColour colour) override;
    int AskYesNo(HostBox kind, std::string_view caption, std::string_view text) override;
    void ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                 std::string_view detail) override;
    std::optional<std::string> AskSelectionText() override;

    // Test seam: when set, a sleep is handed to it instead of blocking.
    static void SetSleepForTest(std::function<void(int ms)> sleep);

    // The port-switch dialog; without one no selection can be given.
    std::function<std::optional<std::string>()> selectionDialog;

private:
    TForm1& form_;
    KeyStateFilter* keys_;
    std::optional<bool> dsr_;
    std::optional<bool> cts_;
};
