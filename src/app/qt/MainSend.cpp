// The send commands (F1, Shift+F1) and the transfer log view (Shift+F8) of the main
// window: what the dispatcher prepares before the send job runs, the window side of
// the job (SendWindow), Timer2's estimate worker, and the keys that close the view.
#include "app/qt/Mainunit1.h"

#include "app/qt/MainTransferHost.h"
#include "files/FileLoading.h"
#include "files/MarkedFiles.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/TextCodec.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"
#include "transfer/SendJob.h"
#include "transfer/SendText.h"
#include "transfer/SerialLine.h"
#include "transfer/TransferLog.h"
#include "ui/TransferPanel.h"

#include <QTimer>

#include <climits>

namespace {

const QString kLogCaption = QStringLiteral("送受信ログ");

// Per-window state of the sends: the line, the shared counters and Timer2's worker.
class TSendSupport : public QObject {
public:
    static constexpr const char* kName = "SendSupport";

    explicit TSendSupport(TForm1& form)
        : QObject(&form), line(MainTransferHost(form), form.Settings), worker(counters) {
        setObjectName(kName);
        form.Timer2->setInterval(10000);
        // Timer2Timer: one estimate worker per tick.
        connect(form.Timer2, &QTimer::timeout, this, [this] { worker.Tick(); });
    }
    SerialLine line;
    SendCounters counters;
    SendTimeWorker worker;
};

TSendSupport& SendSupport(TForm1& form) {
    auto* support = form.findChild<QObject*>(TSendSupport::kName, Qt::FindDirectChildrenOnly);
    return support ? *static_cast<TSendSupport*>(support) : *new TSendSupport(form);
}

// The send job's view of the main window; Timer2 paces the estimate.
class TMainSendWindow : public SendWindow {
public:
    TMainSendWindow(MainWindowServices& window, QTimer& estimateTimer)
        : w_(window), estimateTimer_(estimateTimer) {}

    const TextDocument& DataView() const override { return w_.View().Document(); }
    void ClearDataView() override { w_.View().Clear(); }
    void SelectDataLine(size_t index) override {
        w_.View().SelectLine(index);
        w_.View().setFocus();
    }
    bool LoadFileIntoView(const std::string& name) override {
        return w_.LoadFileIntoView(name) != kUnknownFileSize;
    }
    void SetProgressRange(int64_t maximum) override {
        // The bar counts in int: a file past 2 GB is shown in coarser steps.
        shift_ = 0;
        while ((maximum >> shift_) > INT_MAX)
            ++shift_;
        w_.Transfer().SetProgressRange(int(maximum >> shift_));
    }
    void SetProgress(int64_t position) override {
        w_.Transfer().SetProgress(int(position >> shift_));
    }
    void SetRemainingText(const std::string& text) override {
        w_.Transfer().ShowRemaining(QString::fromStdString(text));
    }
    void StartEstimateTimer() override { estimateTimer_.start(10000); }
    void StopEstimateTimer() override { estimateTimer_.stop(); }
    void HighlightQueueEntry(int index) override { w_.Transfer().HighlightQueueEntry(index); }
    void SuspendScreenSaver() override { ScreenSaver::Suspend(); }
    void HideTransferPanel() override { w_.Transfer().Hide(); }
    void EnableFileList() override { w_.List().setEnabled(true); }
    void StartReturnToIdle(int ms) override { w_.StartReturnToIdle(ms); }
    void ClearMarks() override { w_.Listing().marks.Clear(); }
    void CloseMainWindow() override { w_.CloseAfterCompletion(); }

private:
    MainWindowServices& w_;
    QTimer& estimateTimer_;
    int shift_ = 0;
};

} // namespace

void TForm1::SendSelected(bool shift) {
    ExitAfterTransfer = shift;
    RichEdit1->SetReadOnly(true);
    SendRequest request;
    request.exitAfterTransfer = shift;
    if (FileList.marks.Count() > 0) {
        ListBox1->setEnabled(false);
        TransferPanel->ShowForSending(true);
        FileList.marks.Compact();
        request.queue = CollectMarkedNames(FileList);
        ListBox1->update();
        QStringList names;
        for (const std::string& name : request.queue)
            names.append(DecodedText(name));
        TransferPanel->SetQueue(names);
        if (request.queue.empty()) {
            SetMessage(QStringLiteral("ファイルを選択してください。!!"));
            ListBox1->setEnabled(true);
            ListBox1->setFocus();
            return;
        }
        request.fileBeingSent = request.queue.front();
        request.multiSend = true;
    } else {
        ListBox1->setEnabled(false);
        TransferPanel->ShowForSending(false);
        request.fileBeingSent = FileList.EntryName(ListBox1->ItemIndex());
        FileList.marks.Clear();
    }
    FileList.marks.multiSend = request.multiSend;
    uint64_t size = 0;
    // Sending a file that cannot be read would send an empty program and call it sent.
    if (request.multiSend) {
        size = LoadFileIntoView(request.fileBeingSent);
    } else if (!LoadFileForCommand(request.fileBeingSent, &size)) {
        TransferPanel->Hide();
        FileList.marks.multiSend = false;
        ListBox1->setEnabled(true);
        ListBox1->setFocus();
        return;
    }
    TransferPanel->ShowRemaining(
        QString::fromStdString(RemainingBytesText(size == kUnknownFileSize ? 0 : int64_t(size))));
    SetStatusPanel(3, QStringLiteral("送信待機中（信号待ち)"));
    RichEdit1->setFocus();

    // Only the first send after a start with arguments leaves status panel 0 alone.
    request.keepStatusPanel0 = Start.startFlags[1] != 'N';
    Start.startFlags[1] = 'N';
    TSendSupport& support = SendSupport(*this);
    TMainSendWindow window(*this, *Timer2);
    SendJob job(MainTransferHost(*this), window, support.line, Settings, support.counters);
    RunTransfer([&] {
        job.Run(request);
        FileList.marks.multiSend = false;
    });
}

void TForm1::ShowTransferLog() {
    TransferPanel->ShowForLog();
    ListBox1->setEnabled(false);
    RichEdit1->SetReadOnly(true);
    std::string text;
    LoadTransferLogForView(text);
    RichEdit1->SetText(std::move(text));
    SetStatusPanel(3, kLogCaption);
    RichEdit1->setFocus();
}
