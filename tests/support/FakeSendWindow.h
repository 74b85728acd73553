// A SendWindow for tests: a real data-view document, files "on disk" in a map, and
// a record of what the send job did to the window.
#pragma once

#include "files/TextDocument.h"
#include "transfer/SendJob.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class FakeSendWindow : public SendWindow {
public:
    TextDocument document;
    std::map<std::string, std::string> files;
    std::vector<size_t> selectedLines;
    std::vector<std::string> loaded;
    std::vector<int> highlighted;
    std::vector<std::string> remainingTexts;
    int64_t progressMaximum = -1;
    int64_t progress = -1;
    int estimateTimerStarts = 0;
    bool estimateTimerRunning = false;
    bool screenSaverSuspended = false;
    bool panelHidden = false;
    bool listEnabled = false;
    int returnToIdleMs = 0;
    int marksCleared = 0;
    int closes = 0;
    std::function<void(size_t)> onSelect; // runs on every line selection

    const TextDocument& DataView() const override { return document; }
    void ClearDataView() override { document.Clear(); }
    void SelectDataLine(size_t index) override {
        selectedLines.push_back(index);
        if (onSelect)
            onSelect(index);
    }
    bool LoadFileIntoView(const std::string& name) override {
        loaded.push_back(name);
        auto it = files.find(name);
        if (it == files.end())
            return false;
        document.SetText(it->second);
        return true;
    }
    void SetProgressRange(int64_t maximum) override {
        progressMaximum = maximum;
        progress = 0;
    }
    void SetProgress(int64_t position) override { progress = position; }
    void SetRemainingText(const std::string& text) override { remainingTexts.push_back(text); }
    void StartEstimateTimer() override {
        ++estimateTimerStarts;
        estimateTimerRunning = true;
    }
    void StopEstimateTimer() override { estimateTimerRunning = false; }
    void HighlightQueueEntry(int index) override { highlighted.push_back(index); }
    void SuspendScreenSaver() override { screenSaverSuspended = true; }
    void HideTransferPanel() override { panelHidden = true; }
    void EnableFileList() override { listEnabled = true; }
    void StartReturnToIdle(int ms) override { returnToIdleMs = ms; }
    void ClearMarks() override { ++marksCleared; }
    void CloseMainWindow() override { ++closes; }
};
