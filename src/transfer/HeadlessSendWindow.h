// A send window without a screen, for the terminal, the server and the
// benchmarks: the data view is a document of its own, and what the main window
// would draw or arm does nothing. Each user overrides what it does show.
#pragma once

#include "files/TextDocument.h"
#include "transfer/SendJob.h"

#include <cstdint>
#include <string>

class HeadlessSendWindow : public SendWindow {
public:
    TextDocument& Document() { return document_; }

    const TextDocument& DataView() const override { return document_; }
    void ClearDataView() override { document_.Clear(); }
    void SelectDataLine(size_t) override {}
    bool LoadFileIntoView(const std::string&) override { return false; }
    void SetProgressRange(int64_t) override {}
    void SetProgress(int64_t) override {}
    void SetRemainingText(const std::string&) override {}
    void StartEstimateTimer() override {}
    void StopEstimateTimer() override {}
    void HighlightQueueEntry(int) override {}
    void SuspendScreenSaver() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void ClearMarks() override {}
    void CloseMainWindow() override {}

protected:
    TextDocument document_;
};
