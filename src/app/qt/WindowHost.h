// The main window as the TransferHost of the transfer jobs: event processing,
// sleeps and the clock, the F3/Esc key state seen whatever widget has the focus,
// the two signal lamps, the status panels and the message line, and the
// program's message boxes.
#pragma once

#include "transfer/TransferHost.h"

#include <QObject>

#include <functional>
#include <optional>

class TForm1;

// Records F3 and Esc application-wide: held while down, pressed since the last
// query. Losing activation forgets both, so that a key released elsewhere is
// never held forever.
class AbortKeyFilter : public QObject {
public:
    explicit AbortKeyFilter(QObject* parent = nullptr);
    ~AbortKeyFilter() override;

    bool Held() const { return held_; }
    // Down now or pressed since the last call; the call forgets the press.
    bool TakePressed();
    // The synthesized key-up of both keys.
    void Release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool held_ = false;
    bool pressed_ = false;
};

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
    AbortKeyFilter* keys_;
    std::optional<bool> dsr_;
    std::optional<bool> cts_;
};
