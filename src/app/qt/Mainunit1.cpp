#include "app/qt/Mainunit1.h"

#include "app/qt/MainLegends.h"
#include "app/qt/Option.h"
#include "files/FileCopy.h"
#include "files/MakeDirectoryPath.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/FileRead.h"
#include "platform/Paths.h"
#include "platform/SerialDevices.h"
#include "platform/TextCodec.h"
#include "platform/Volumes.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"
#include "transfer/qt/CommSettingsPanel.h"
#include "ui/CommSettingsLayout.h"
#include "ui/CommandLinePanel.h"
#include "ui/SaveQuestion.h"
#include "ui/SortPanel.h"
#include "ui/StatusPanels.h"
#include "ui/TransferPanel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <filesystem>

namespace {

const QColor kLime(0x00, 0xFF, 0x00);

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    SetupUi(this);
    BindSaveQuestion();
    BindFileList();
    CommPanel = new TCommSettingsPanel(*this, BuildCommPanelLayout(GroupBox1), this);
    OptionForm = new TOptionForm(this);
    BuildAppDialogs();
    BindFileCommands();
    connect(Timer1, &QTimer::timeout, this, &TForm1::ReturnToIdle);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const std::vector<std::string>& args) {
    LoadSettings(Settings, IniFile::Load(SettingsPath(), &SettingsReadError));
    LoadAppTable();
    move(Settings.Left, Settings.Top);
    ProcessArguments(args, Settings, Start,
                     [this](const std::filesystem::path& from, const std::filesystem::path& to) {
                         return ImportStartFile(from, to);
                     });
    ExitAfterTransfer = Start.exitAfterTransfer;
    CheckFloppy();
    MarkCapacity = 100;
}

// A file handed over at start (a file manager's "open with") replaces another file
// of its name in the working folder only when the operator says so: silently it
// would wipe the program the machine runs. A failed copy gives no message; the
// copy never empties a file copied onto itself.
bool TForm1::ImportStartFile(const std::filesystem::path& from, const std::filesystem::path& to,
                             bool* declined, std::string* error) {
    std::error_code ec;
    if (std::filesystem::exists(to, ec) && !SameFile(from, to)) {
        std::string old, incoming;
        const bool same =
            ReadWholeFile(to, old) && ReadWholeFile(from, incoming) && old == incoming;
        if (same)
            return true;
        const QString text = QStringLiteral("すでに") + ShownText(to.string()) +
                             QStringLiteral("が有ります。\n上書きしますか？");
        if (ShowBox(this,
                    {BoxIcon::Question, BoxButtons::YesNo, QStringLiteral("確認"), text, {}}) !=
            kAnswerYes) {
            if (declined)
                *declined = true;
            return false;
        }
    }
    return CopyFileSafely(from, to, error);
}

void TForm1::FormShow() {
    AcceptDroppedFiles();
    CheckWorkingDirectory();
    CheckPort(Settings.Port1, QStringLiteral("送信　"));
    CheckPort(Settings.Port2, QStringLiteral("受信　"));
    QTimer::singleShot(0, this, &TForm1::FirstIdleListing);

    GroupBox1->hide();
    TransferPanel->Hide();
    SortPanel->Close();
    SaveQuestion->Close();
    CommandLine->Enable(false);
    for (int panel : {4, 5, 6})
        SetStatusPanel(panel, QString());

    LoadDriveIcons();
    NormalLegend = QString::fromUtf8(kNormalLegend);
    ShiftLegend = QString::fromUtf8(kShiftLegend);
    ShowNormalLegend();
    Label6->setText(QString::fromUtf8(kKeyHints));
    Label2->setText(QString::fromUtf8(kLetterHelp));

    StartFolderWatch();
    GroupBox5->hide();
    AltLegendShown = false;
    ApplyListColumn();
}

void TForm1::ApplyListColumn() {
    const bool narrow = Settings.ListColumn >= 1 && Settings.ListColumn <= 4;
    if (!narrow)
        Settings.ListColumn = 5;
    ListBox1->setGeometry(0, 69, narrow ? 616 : 728, 338);
    ListBox1->SetColumns(Settings.ListColumn);
    Label2->setVisible(narrow);
}

void TForm1::CheckWorkingDirectory() {
    // The root plays the drive root: never questioned.
    if (Settings.DirPath == "/")
        return;
    std::error_code ec;
    if (std::filesystem::is_directory(Settings.DirPath, ec))
        return;
    int answer = ShowBox(this, {BoxIcon::Exclamation,
                                BoxButtons::YesNo,
                                QStringLiteral("警告"),
                                QStringLiteral("ディレクトリが見つかりません。"
                                               "ディレクトリを作成しますか？"),
                                {}});
    LastAnswer = answer;
    if (answer == kAnswerYes) {
        std::string error;
        if (!MakeDirectoryPath(Settings.DirPath, &error))
            ShowBox(this, {BoxIcon::Stop,
                           BoxButtons::Ok,
                           QStringLiteral("エラー"),
                           QString::fromStdString(error),
                           {}});
    } else {
        Settings.DirPath = DefaultDirPath();
    }
}

void TForm1::CheckPort(const std::string& port, const QString& prefix) {
    int number = 0;
    const bool numbered = port.size() > 3 && ParseDecimalInt(port.substr(3), &number);
    if (numbered && PortUsable(number))
        return;
    ShowBox(this, {BoxIcon::Stop,
                   BoxButtons::Ok,
                   QStringLiteral("エラー"),
                   prefix + QString::fromStdString(port) +
                       QStringLiteral("のポートが使用不可です。\n通信設定をおこなってください。"),
                   {}});
}

void TForm1::FirstIdleListing() {
    ListDirectory(false, false, false);
}

void TForm1::RememberWindowRect() {
    if (isActiveWindow())
        RememberedRect = frameGeometry();
}

void TForm1::CentreDialog(QWidget* dialog) const {
    dialog->move(RememberedRect.left() + RememberedRect.width() / 2 - dialog->width() / 2,
                 RememberedRect.top() + RememberedRect.height() / 2 - dialog->height() / 2);
}

void TForm1::ShowNormalLegend() {
    Label1->setText(NormalLegend);
}

void TForm1::ShowShiftLegend() {
    Label1->setText(ShiftLegend);
}

void TForm1::SetMessage(const QString& text, const QColor& colour) {
    CommandLine->ShowMessage(text, colour);
}

void TForm1::SetStatusPanel(int index, const QString& text) {
    StatusBar2->SetPanelText(index, text);
}

QString TForm1::StatusPanel(int index) const {
    return StatusBar2->PanelText(index);
}

void TForm1::AbortToIdle(const QString& text) {
    SetMessage(text, Qt::red);
    Timer1->start(1000);
    ListBox1->setEnabled(true);
}

void TForm1::StartReturnToIdle(int ms) {
    Timer1->start(ms);
}

void TForm1::ReturnToIdle() {
    StatusBar2->update();
    SetStatusPanel(3, QString());
    ShowNormalLegend();

    RichEdit1->Clear();
    TransferPanel->Hide();
    Timer1->stop();
    SetMessage(QString(), kLime);

    ListBox1->setEnabled(true);
    if (RelistFlag == "Y")
        ListDirectory(false, false, false);
    RelistFlag = "N";
    ListBox1->setFocus();
    CommandLine->Enable(false);

    ScreenSaver::Allow();
    LampsToRest();
}

void TForm1::LampsToRest() {
    QPalette p = LabeledEdit1->palette();
    p.setColor(QPalette::Text, Qt::red);
    LabeledEdit1->setPalette(p);
    LabeledEdit2->setText(QStringLiteral(" ○"));
}

void TForm1::CheckFloppy() {
    if (!FloppyCheckApplies(Settings.DirPath))
        return;
    const QString text =
        QStringLiteral("ディレクトリの設定がフロッピーディスクです。\n"
                       "フロッピーディスクを使用する場合は挿入してからＯＫを押してください。\n"
                       "キャンセルの場合はデフォルト設定です。");
    int answer = ShowBox(
        this, {BoxIcon::Exclamation, BoxButtons::OkCancel, QStringLiteral("ＦＤ確認"), text, {}});
    LastAnswer = answer;
    // OK asks the drive again; either way a drive that still fails leaves the home folder.
    if (answer != kAnswerOk || FloppyCheckApplies(Settings.DirPath))
        Settings.DirPath = DefaultDirPath();
}

void TForm1::FormCloseQuery() {
    if (closing_)
        return;
    closing_ = true;
    if (!SkipSettingsSave) {
        Settings.Left = x();
        Settings.Top = y();
        // An automatic COMn mapping is written down so that it stays put.
        RecordPortMapping(Settings.Ports);
        IniFile ini = IniFile::Load(SettingsPath());
        SaveSettings(Settings, ini);
        // A file that could not be read is never replaced by the defaults it hid.
        std::string error = SettingsReadError;
        QString failed;
        if (!error.empty() || !ini.Save(SettingsPath(), &error))
            failed += QString::fromStdString(SettingsPath().string());
        // One box names every file that could not be written (one cause, as a rule).
        std::string appError;
        if (!SaveAppTable(&appError)) {
            failed +=
                (failed.isEmpty() ? "" : "\n") + QString::fromStdString(AppTablePath().string());
            if (error.empty())
                error = appError;
        }
        if (!failed.isEmpty()) {
            SettingsSaveFailed = true;
            ShowBox(this, {BoxIcon::Stop, BoxButtons::Ok, QStringLiteral("エラー"),
                           QStringLiteral("設定ファイルを保存できませんでした。\n") + failed,
                           QString::fromStdString(error)});
        }
    }
    ScreenSaver::Allow();
    const std::string modem1 = AsciiUpper(Settings.ModemePort1);
    const std::string modem2 = AsciiUpper(Settings.ModemePort2);
    for (int n = 1; n <= 30; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (name != modem1 && name != modem2)
            PortUsable(n);
    }
    ClearFileEntries();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (StopTransferForClose()) {
        event->ignore();
        return;
    }
    FormCloseQuery();
    event->accept();
}
