// What a transfer job or an NC tool needs from the window it runs in: event
// processing, the clock and sleeps, the stop keys, the lamps, the status and
// message lines, questions and message boxes. The main window implements it;
// tests implement it with a fake, so that no test sleeps or shows anything.
// Texts are UTF-8.
#pragma once

#include "platform/SerialPort.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Message box kinds, each with the icon and buttons the program has always used.
enum class HostBox {
    Plain,       // no icon, OK; an empty caption means the program's title
    Error,       // error icon, OK, placed 50 pixels right of and below the main window's corner
    Refusal,     // stop icon, OK (caption "確認" by convention)
    Information, // information icon, OK (caption "完了" by convention)
    Exclamation, // exclamation icon, OK (caption "中止" by convention)
    Question,    // question icon; for AskYesNo
    Warning,     // warning icon, placed 50 pixels right of and below the main window's corner
};

enum class MessageColour { Black, Red, Lime, Blue };

class TransferHost {
public:
    virtual ~TransferHost() = default;

    // Processes pending window messages (paints, clicks, timers, the stop keys).
    virtual void ProcessEvents() = 0;
    // Blocks for ms milliseconds without processing messages.
    virtual void Sleep(int ms) = 0;
    // Blocks like Sleep, but wakes as soon as input arrives on fd (a port's
    // PollHandle); false when the time ran out with none. The wait is not
    // rounded to milliseconds: a pacing sleep that ends early sends less.
    virtual bool SleepUntilInput(int fd, std::chrono::microseconds wait) {
        return WaitForPortInput(fd, wait);
    }
    // A monotonic clock in milliseconds.
    virtual std::int64_t NowMs() = 0;

    // F3 or Esc is down now.
    virtual bool AbortKeyHeld() = 0;
    // F3 or Esc is down now or was pressed since the last call; the call forgets the press.
    virtual bool AbortKeyPressed() = 0;
    // Lets go of F3 and Esc, so that the stopping key is not seen again.
    virtual void ReleaseAbortKeys() = 0;

    // DSR lamp: blue while DSR is on, red while it is off.
    virtual void SetDsrLamp(bool on) = 0;
    // CTS lamp: " ●" while CTS is on, " ○" while it is off.
    virtual void SetCtsLamp(bool on) = 0;

    // Text of panel (0 to 6) of the main window's status bar.
    virtual void SetStatusText(int panel, std::string_view text) = 0;
    // The message line Label11 with its text colour.
    virtual void SetMessageLine(std::string_view text, MessageColour colour) = 0;

    // A Yes/No question; returns the last-answer code (6 yes, 7 no) and keeps it as such.
    virtual int AskYesNo(HostBox kind, std::string_view caption, std::string_view text) = 0;
    // A message box with an OK button; detail is the unfoldable part (may be empty).
    virtual void ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                         std::string_view detail = {}) = 0;

    // Remembers the window rectangle and shows the port-switch dialog; the
    // selection text after "ＯＮ", nothing after "ｷｬﾝｾﾙ".
    virtual std::optional<std::string> AskSelectionText() = 0;
};
