// The send job: one NC program, or the marked programs one after the other, from
// the data view to the controller or puncher on the send line. It frames the text
// (leader, pre-send blanks, start and end characters, feeds), sends every line of
// the data view exactly once whatever the file's line ends, shows progress, logs
// one entry per file and ends on the completion or the stop path. It runs on the
// user-interface thread and waits only through TransferHost and SerialLine.
#pragma once

#include "transfer/SendOptions.h"
#include "transfer/SendTime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SerialLine;
class TextDocument;
class TransferHost;
struct TSettings;

// What the job does with the main window beyond TransferHost.
class SendWindow {
public:
    virtual ~SendWindow() = default;

    // The data view RichEdit1 and the line being sent in it.
    virtual const TextDocument& DataView() const = 0;
    virtual void ClearDataView() = 0;
    // Selects line index, scrolls it to the second row from the top, focuses the view.
    virtual void SelectDataLine(size_t index) = 0;
    // Loads a file of the working directory into the data view (as the viewer
    // loads files); false when it cannot be read.
    virtual bool LoadFileIntoView(const std::string& name) = 0;

    virtual void SetProgressRange(int64_t maximum) = 0; // minimum 0, position 0
    virtual void SetProgress(int64_t position) = 0;
    virtual void SetRemainingText(const std::string& text) = 0; // Label17, shown
    virtual void StartEstimateTimer() = 0;                      // Timer2, 10000 ms
    virtual void StopEstimateTimer() = 0;
    // Highlights entry index (from 0) of the queue list ListBox2.
    virtual void HighlightQueueEntry(int index) = 0;

    virtual void SuspendScreenSaver() = 0;
    virtual void HideTransferPanel() = 0; // GroupBox2
    virtual void EnableFileList() = 0;
    virtual void StartReturnToIdle(int ms) = 0; // Timer1
    // Mark count and position 0, every slot of the mark list free.
    virtual void ClearMarks() = 0;
    // Closes the main window the normal way (settings saved, program ends).
    virtual void CloseMainWindow() = 0;
};

struct SendRequest {
    std::string fileBeingSent; // name without folder; its text stands in the data view
    bool multiSend = false;
    // The marked files in order (multi-send); entry 0 is the file already loaded.
    std::vector<std::string> queue;
    bool exitAfterTransfer = false;
    // The first send after a start with command-line arguments leaves status panel 0.
    bool keepStatusPanel0 = false;
};

enum class SendOutcome { Completed, Stopped };

// The operator starts the send (no NC start signal, or a puncher): asked first.
inline constexpr std::string_view kPrepareNcQuestion = "ＮＣ装置側の準備を行ってください。\n"
                                                       "準備が出来ましたら「はい(Y)」を\n"
                                                       "押すと送信が開始します。";

// The bytes the job counts for a document: each line's length + 2, the size of the
// file when its lines end in CR LF. The total is counted this way so that progress
// and the remaining bytes stay right for LF and LF CR CR files as well.
int64_t CountedBytes(const TextDocument& document);

class SendJob {
public:
    SendJob(TransferHost& host, SendWindow& window, SerialLine& line, const TSettings& settings,
            SendCounters& counters);

    SendOutcome Run(const SendRequest& request);

    // Job state the window may show.
    const std::string& FileBeingSent() const { return file_; }
    size_t Position() const { return position_; }
    size_t LineNumber() const { return lineNumber_; }

private:
    SendOutcome RunSteps(const SendRequest& request);
    bool WaitForNcStart();
    bool AskOperatorToStart();
    bool Write(unsigned char ch);
    bool WriteText(std::string_view text);
    bool WriteBlanks(int count);
    bool SendLine(const std::string& chars, bool more);
    bool SendText();
    bool NextMarkedFile(const SendRequest& request);
    void StartFileCounters();
    void LogEntry(bool completed);
    SendOutcome Complete(const SendRequest& request);
    SendOutcome Stop();
    SendOutcome Fail();
    void CloseAndShowStopped();
    SendOutcome ReturnAfterStop();
    void ClearStatusPanels();

    TransferHost& host_;
    SendWindow& window_;
    SerialLine& line_;
    const TSettings& settings_;
    SendOptions options_; // taken from settings_ when the send starts
    SendCounters& counters_;
    std::string file_;
    std::string
        lineBytes_; // the line being sent and its line feed, kept to spare an allocation a line
    size_t position_ = 0;
    size_t lineNumber_ = 0;
    size_t unsent_ = 0; // files of the series left unsent by an empty or unreadable one
};
