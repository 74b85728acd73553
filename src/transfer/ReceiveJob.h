// The receive job: waits for the far end to start, reads the receive line byte
// by byte until the end of the tape, DC4, DSR dropping or a stop key, and hands
// every character to a ReceiveSession, which writes the program files. It ends
// on the completion path, the stop path or, for a failure it did not expect (a
// file that cannot be written), on the stop path without DC4. It runs on the
// user-interface thread and waits only through TransferHost and SerialLine.
#pragma once

#include "transfer/ReceiveOptions.h"
#include "transfer/ReceiveSession.h"

#include <string>
#include <string_view>

class SerialLine;
class TransferHost;
struct TSettings;

// What the job does with the main window beyond TransferHost and the view.
class ReceiveWindow : public ReceiveView {
public:
    // Screen saver off; Label11 and Edit1 emptied, Edit1 disabled; the transfer
    // panel GroupBox2 "受信データ" shown (24, 96, width 650, green) with the
    // program list emptied and Label17 hidden; the data view focused.
    virtual void ShowReceivePanel() = 0;
    virtual void HideTransferPanel() = 0; // GroupBox2
    virtual void EnableFileList() = 0;
    virtual void StartReturnToIdle(int ms) = 0; // Timer1
    virtual void RequestRelist() = 0;           // relist flag "Y"
    // Closes the main window the normal way (settings saved, program ends).
    virtual void CloseMainWindow() = 0;
};

struct ReceiveRequest {
    bool namedMode = false;
    std::string targetPath;        // named mode: the operator's file
    std::string fileBeingReceived; // named mode: its name, for status panel 0
    bool exitAfterTransfer = false;
};

enum class ReceiveOutcome { Completed, Stopped };

// Texts of the job.
inline constexpr std::string_view kReceiveWaiting = "受信待機中(信号待ち)";
inline constexpr std::string_view kReceiving = "＜＜ 受信中 ＞＞";
inline constexpr std::string_view kReceiveSaving = "受信データ保存中です。";
inline constexpr std::string_view kReceiveCompleted = "受信完了しました。";
inline constexpr std::string_view kReceiveStopped = "受信を中止しました。";
inline constexpr std::string_view kReaderPrompt =
    "テープリーダーにＮＣテープを\nセットしてください。";

class ReceiveJob {
public:
    ReceiveJob(TransferHost& host, ReceiveWindow& window, SerialLine& line,
               const TSettings& settings);

    ReceiveOutcome Run(const ReceiveRequest& request);

private:
    enum class Ending { Completed, Saved, Stopped, LineLost, Failed };

    Ending RunSteps(const ReceiveRequest& request, ReceiveSession& session);
    void StartReader();
    bool WaitForStart(unsigned char& startChar);
    Ending ReceiveBytes(ReceiveSession& session);
    ReceiveOutcome Complete(ReceiveSession& session, const ReceiveRequest& request);
    ReceiveOutcome Stop(ReceiveSession& session, bool sendDc4);
    void ClearStatusPanels();

    TransferHost& host_;
    ReceiveWindow& window_;
    SerialLine& line_;
    const TSettings& settings_;
    ReceiveOptions options_; // taken from settings_ when the job starts
};
