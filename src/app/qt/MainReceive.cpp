#include "app/qt/MainReceive.h"

#include "app/qt/MainTransferHost.h"
#include "app/qt/Mainunit1.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"
#include "transfer/ReceiveJob.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/SerialLine.h"
#include "transfer/TransferHost.h"
#include "ui/CommandLinePanel.h"
#include "ui/TransferPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <filesystem>

namespace {

// The window as the receive job sees it.
class ReceivePanel : public ReceiveWindow {
public:
    explicit ReceivePanel(MainWindowServices& window) : w_(window) {}

    void AppendDataLine(std::string_view line) override { w_.View().AppendLine(line); }
    void ClearDataView() override { w_.View().Clear(); }
    void ListProgram(int index, std::string_view line) override {
        w_.Transfer().ListProgram(index, FromUtf8(line));
    }
    void SetProgress(int lines) override { w_.Transfer().SetProgress(lines); }
    void ShowReceivePanel() override {
        ScreenSaver::Suspend();
        w_.SetMessage(QString());
        w_.CommandEntry().RepaintMessage();
        w_.CommandEntry().Clear();
        w_.CommandEntry().Enable(false);
        w_.Transfer().ShowForReceiving(kLinesPerSave);
        w_.View().setFocus();
    }
    void HideTransferPanel() override { w_.Transfer().Hide(); }
    void EnableFileList() override { w_.List().setEnabled(true); }
    void StartReturnToIdle(int ms) override { w_.StartReturnToIdle(ms); }
    void RequestRelist() override { w_.RequestRelist(); }
    void CloseMainWindow() override { w_.CloseAfterCompletion(); }

private:
    MainWindowServices& w_;
};

} // namespace

void TForm1::BindSaveQuestion() {
    SaveQuestion->onLegendClick = [this](int y) { Label38MouseDown(y); };
    SaveQuestion->onAnswerKey = [this](int key) { Edit16KeyDown(key); };
}

// F2 and Shift+F2: the receive settings in the status bar and the save question.
void TForm1::ReceiveProgram(bool shift) {
    ExitAfterTransfer = shift;
    SetStatusPanel(4, QString::fromStdString(Settings.Speed2));
    SetStatusPanel(5, QString::fromStdString(Settings.Port2));
    SetStatusPanel(6, QString::fromStdString(Settings.Signal2));
    RichEdit1->SetReadOnly(false);
    CommandLine->Enable(true);
    ListBox1->setEnabled(false);
    SaveQuestion->Ask();
}

void TForm1::Edit16KeyDown(int key) {
    if (key != Qt::Key_Y && key != Qt::Key_N && key != Qt::Key_Escape)
        return;
    SaveQuestion->Close();
    if (key == Qt::Key_Y) {
        SetMessage(QStringLiteral("ファイル受信 受信ファイル名-->>>"));
        NamedMode = true;
        CommandLine->Prompt(Edit1Mode::NamedReceive);
    } else if (key == Qt::Key_N) {
        NamedMode = false;
        StartReceiveJob();
    } else {
        CommandLine->Clear();
        AbortToIdle();
        CommandLine->Enable(false);
    }
}

void TForm1::Label38MouseDown(int y) {
    if (y < 0)
        return;
    const int row = y <= 18 ? 0 : y <= 36 ? 1 : y <= 54 ? 2 : 3;
    static constexpr int kKeys[] = {Qt::Key_Y, Qt::Key_N, Qt::Key_Escape};
    if (row < 3)
        Edit16KeyDown(kKeys[row]);
}

// Enter in command-line mode "2": the file is named, checked and received.
void TForm1::ReceiveUnderName() {
    const QString typed = CommandLine->Text();
    if (typed.isEmpty())
        return;
    NamedTarget target = NamedReceiveTarget(Settings, typed.toStdString());
    std::error_code ec;
    if (std::filesystem::exists(target.path, ec)) {
        const QString text = QStringLiteral("すでに") + QString::fromStdString(target.path) +
                             QStringLiteral("が有ります。\n上書きしますか？");
        LastAnswer =
            ShowBox(this, {BoxIcon::Question, BoxButtons::YesNo, QStringLiteral("確認"), text, {}});
        if (LastAnswer != kAnswerYes) {
            ReceiveTargetPath.clear();
            return;
        }
    }
    ReceiveTargetPath = target.path;
    FileBeingReceived = target.fileName;
    StartReceiveJob();
}

void TForm1::StartReceiveJob() {
    TransferHost& host = MainTransferHost(*this);
    SerialLine line(host, Settings);
    ReceivePanel panel(*this);
    ReceiveRequest request;
    request.namedMode = NamedMode;
    request.targetPath = NamedMode ? ReceiveTargetPath : std::string();
    request.fileBeingReceived = NamedMode ? FileBeingReceived : std::string();
    request.exitAfterTransfer = ExitAfterTransfer;
    RunTransfer([&] {
        ReceiveJob(host, panel, line, Settings).Run(request);
        ReceiveTargetPath.clear();
    });
}
