// A TransferHost for tests: records what a job shows, counts events and sleeps
// instead of waiting, and answers questions from a script.
#pragma once

#include "transfer/TransferHost.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeTransferHost : public TransferHost {
public:
    struct Box {
        HostBox kind;
        std::string caption;
        std::string text;
        std::string detail;
    };

    int events = 0;
    std::vector<int> sleeps;
    std::int64_t now = 0;
    bool held = false;    // F3/Esc down now
    bool pressed = false; // pressed since the last query
    int releases = 0;
    std::function<void(FakeTransferHost&)> onEvents; // runs inside every ProcessEvents

    std::optional<bool> dsrLamp;
    std::optional<bool> ctsLamp;
    std::map<int, std::string> status;
    std::string messageLine;
    MessageColour messageColour = MessageColour::Black;
    std::vector<Box> boxes;
    std::vector<std::string> questions;
    std::deque<int> answers; // 6 yes, 7 no; yes when the script is used up
    std::optional<std::string> selection;
    int selectionAsks = 0;

    void ProcessEvents() override {
        ++events;
        if (onEvents) {
            onEvents(*this);
        }
    }
    void Sleep(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    // The clock is the test's: the wait is a sleep; the test may say what input
    // arrives during it (true when some did), else input may be there after it.
    std::vector<int> inputSleepHandles;
    std::vector<std::chrono::microseconds> inputWaits; // as asked, before the clock's rounding
    std::function<bool()> inputDuringSleep;
    bool SleepUntilInput(int fd, std::chrono::microseconds wait) override {
        inputSleepHandles.push_back(fd);
        inputWaits.push_back(wait);
        Sleep(
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
        return inputDuringSleep ? inputDuringSleep() : true;
    }
    std::int64_t NowMs() override { return now; }
    bool AbortKeyHeld() override { return held; }
    bool AbortKeyPressed() override {
        bool was = pressed || held;
        pressed = false;
        return was;
    }
    void ReleaseAbortKeys() override {
        held = false;
        pressed = false;
        ++releases;
    }
    void SetDsrLamp(bool on) override { dsrLamp = on; }
    void SetCtsLamp(bool on) override { ctsLamp = on; }
    void SetStatusText(int panel, std::string_view text) override {
        status[panel] = std::string(text);
    }
    void SetMessageLine(std::string_view text, MessageColour colour) override {
        messageLine = std::string(text);
        messageColour = colour;
    }
    int AskYesNo(HostBox, std::string_view, std::string_view text) override {
        questions.emplace_back(text);
        int answer = answers.empty() ? 6 : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void ShowBox(HostBox kind, std::string_view caption, std::string_view text,
                 std::string_view detail) override {
        boxes.push_back({kind, std::string(caption), std::string(text), std::string(detail)});
    }
    std::optional<std::string> AskSelectionText() override {
        ++selectionAsks;
        return selection;
    }

    int SleptMs() const {
        int total = 0;
        for (int ms : sleeps) {
            total += ms;
        }
        return total;
    }
};
