#include "app/qt/MainLegends.h"
#include "app/qt/MainTransferHost.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/FileWrite.h"
#include "support/TestWindow.h"
#include "transfer/TransferHost.h"
#include "ui/StatusPanels.h"
#include "ui/TransferPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <pty.h>
#include <unistd.h>

namespace {

class MainWindow : public ::testing::Test, protected WindowHome {};

QColor TextColour(QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

} // namespace

TEST_F(MainWindow, ControlsStandAtTheirPlacesWithTheirTexts) {
    WriteIni("");
    auto form = Start();
    EXPECT_EQ(form->windowTitle(), "Dravik(Win98/Me/2000/XP)");
    EXPECT_EQ(form->size(), QSize(728, 518));
    struct Place {
        QWidget* widget;
        QRect rect;
    };
    for (const Place& p :
         std::vector<Place>{{form->Label4, {0, 0, 728, 35}},
                            {form->Label7, {0, 35, 728, 16}},
                            {form->Label8, {0, 51, 728, 16}},
                            {form->ListBox1, {0, 69, 616, 338}},
                            {form->Label2, {616, 69, 112, 340}},
                            {Control<QLabel>(*form, "Label11"), {0, 407, 305, 22}},
                            {Control<QLineEdit>(*form, "Edit1"), {304, 407, 425, 22}},
                            {form->Label3, {0, 428, 728, 16}},
                            {form->Label6, {0, 444, 728, 16}},
                            {form->Label1, {0, 460, 728, 32}},
                            {form->StatusBar2, {0, 494, 728, 24}},
                            {form->GroupBox1, {300, 40, 400, 450}},
                            {Control<QGroupBox>(*form, "GroupBox2"), {24, 96, 650, 289}},
                            {Control<QGroupBox>(*form, "GroupBox3"), {120, 248, 201, 170}},
                            {Control<QGroupBox>(*form, "GroupBox4"), {328, 370, 250, 80}},
                            {form->GroupBox5, {16, 88, 515, 235}}})
        EXPECT_EQ(p.widget->geometry(), p.rect) << p.widget->metaObject()->className();
    EXPECT_EQ(form->LabeledEdit1->pos(), QPoint(670, 15));
    EXPECT_EQ(form->LabeledEdit2->pos(), QPoint(700, 15));
    EXPECT_EQ(form->LabeledEdit1Label->text(), "DSR");
    EXPECT_EQ(form->LabeledEdit2->text(), " ○");

    EXPECT_EQ(form->Label1->text(), QString::fromUtf8(kNormalLegend));
    EXPECT_EQ(form->Label6->text(), QString::fromUtf8(kKeyHints));
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8(kLetterHelp));
    EXPECT_TRUE(form->Label4->text().contains("ＰＣ←→ＮＣ機ファイル通信 Ver3.15"));
    EXPECT_EQ(form->Label7->text(), " ﾌｧｲﾙ・ﾃﾞｨﾚｸﾄﾘ [                            ]");
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->title(), "受信データ");
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox4")->title(), "データ保存");
    EXPECT_EQ(form->ListBox1->toolTip(), "ファイルを選択してください。");
    EXPECT_EQ(form->StatusBar2->toolTip(), "送受信の設定を表示します。");

    EXPECT_EQ(TextColour(form->Label4), QColor(Qt::yellow));
    EXPECT_EQ(TextColour(form->Label8), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(form->Label6), QColor(255, 0, 255));
    EXPECT_EQ(form->Label8->font().family(), "IPAMincho");
    EXPECT_EQ(form->Label1->font().family(), "IPAGothic");

    for (QWidget* panel : {form->GroupBox1, Control<QGroupBox>(*form, "GroupBox2"),
                           Control<QGroupBox>(*form, "GroupBox3"),
                           Control<QGroupBox>(*form, "GroupBox4"), form->GroupBox5})
        EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    ASSERT_NE(Control<QProgressBar>(*form, "ProgressBar1"), nullptr);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->geometry(), QRect(252, 2, 98, 22));
    EXPECT_EQ(form->StatusBar2->PanelRect(1), QRect(250, 0, 100, 24));
}

TEST_F(MainWindow, ShiftLegendAndReturnToIdle) {
    WriteIni("");
    auto form = Start();
    form->ShowShiftLegend();
    EXPECT_EQ(form->Label1->text(), QString::fromUtf8(kShiftLegend));
    form->SetMessage("操作中止!!", Qt::red);
    Control<QGroupBox>(*form, "GroupBox2")->show();
    form->SetStatusPanel(3, "送信中");
    form->ReturnToIdle();
    EXPECT_EQ(form->Label1->text(), QString::fromUtf8(kNormalLegend));
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "");
    EXPECT_EQ(TextColour(Control<QLabel>(*form, "Label11")), QColor(0, 255, 0));
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isHidden());
    EXPECT_EQ(form->StatusPanel(3), "");
    EXPECT_EQ(form->LabeledEdit2->text(), " ○");
}

TEST_F(MainWindow, ListColumnOutOfRangeShowsFiveColumnsAndIsSavedAsFive) {
    WriteIni("", "[Options]\r\nListColumn=9\r\n");
    auto form = Start();
    EXPECT_EQ(form->Settings.ListColumn, 5);
    EXPECT_EQ(form->ListBox1->width(), 728);
    EXPECT_EQ(form->ListBox1->Columns(), 5);
    EXPECT_TRUE(form->Label2->isHidden());
    form->FormCloseQuery();
    EXPECT_EQ(IniFile::Load(home / "Dravik.INI").ReadInteger("Options", "ListColumn", 0), 5);

    WriteIni("", "[Options]\r\nListColumn=3\r\n");
    auto three = Start();
    EXPECT_EQ(three->ListBox1->width(), 616);
    EXPECT_EQ(three->ListBox1->Columns(), 3);
}

TEST_F(MainWindow, UnusablePortsAreReportedWithTheirNames) {
    WriteIni("Port1=COMX\r\nPort2=COM99\r\n");
    auto form = Start();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "エラー");
    EXPECT_EQ(boxes[0].text, "送信　COMXのポートが使用不可です。\n通信設定をおこなってください。");
    EXPECT_EQ(boxes[1].text, "受信　COM99のポートが使用不可です。\n通信設定をおこなってください。");
}

TEST_F(MainWindow, PortsMappedToAWorkingDeviceAreNotReported) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    WriteIni("Port1=COM7\r\nPort2=com7\r\n", std::string("[Ports]\r\nCOM7=") + name + "\r\n");
    auto form = Start();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    // A modem port is never offered, even when it opens.
    boxes.clear();
    WriteIni("Port1=COM7\r\nPort2=COM7\r\nModemePort1=COM7\r\n",
             std::string("[Ports]\r\nCOM7=") + name + "\r\n");
    auto modem = Start();
    EXPECT_EQ(boxes.size(), 2u);
    close(slave);
    close(master);
}

TEST_F(MainWindow, MissingWorkingDirectoryIsCreatedOrReplacedByHome) {
    const auto missing = home / "a" / "b" / "c";
    home.Write("Dravik.INI", "[Setting]\r\nDirPath=" + missing.string() + "\r\n");
    answer = kAnswerYes;
    auto form = Start();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, "警告");
    EXPECT_EQ(boxes[0].text, "ディレクトリが見つかりません。ディレクトリを作成しますか？");
    EXPECT_TRUE(std::filesystem::is_directory(missing));

    std::filesystem::remove_all(home / "a");
    answer = kAnswerNo;
    auto refused = Start();
    EXPECT_EQ(refused->Settings.DirPath, DefaultDirPath());
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// A file opened from the file manager is copied into the working folder; a
// different file of its name there is replaced only after a Yes (a silent
// replace would lose the machine's program), the same bytes need no question.
TEST_F(MainWindow, AStartFileReplacesAnotherOfItsNameOnlyAfterYes) {
    WriteIni();
    std::filesystem::create_directories(work());
    TempDir downloads;
    const std::string handed = (downloads.path() / "O1234.NC").string();
    downloads.Write("O1234.NC", "%\nO1234(NEW)\n%\n");
    struct Case {
        const char* existing; // nullptr: none
        int answer;
        const char* after;
        size_t questions;
    };
    const Case cases[] = {
        {nullptr, kAnswerNo, "%\nO1234(NEW)\n%\n", 0},
        {"%\nO1234(NEW)\n%\n", kAnswerNo, "%\nO1234(NEW)\n%\n", 0},
        {"%\nO1234(MACHINE)\n%\n", kAnswerNo, "%\nO1234(MACHINE)\n%\n", 1},
        {"%\nO1234(MACHINE)\n%\n", kAnswerYes, "%\nO1234(NEW)\n%\n", 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(work() / "O1234.NC");
        if (c.existing)
            home.Write("work/O1234.NC", c.existing);
        boxes.clear();
        answer = c.answer;
        auto form = Create({handed});
        EXPECT_EQ(TempDir::Read(work() / "O1234.NC"), c.after) << c.existing;
        ASSERT_EQ(boxes.size(), c.questions) << c.existing;
        if (c.questions) {
            EXPECT_EQ(boxes[0].text.toStdString(),
                      "すでに" + (work() / "O1234.NC").string() + "が有ります。\n上書きしますか？");
        }
        EXPECT_EQ(form->Settings.Mask, "*.NC");
    }
}

TEST_F(MainWindow, CloseSavesSettingsOrNamesTheFileThatCouldNotBeWritten) {
    WriteIni("Mask=*.TXT\r\n");
    auto form = Start();
    form->Settings.Feed = "25";
    form->FormCloseQuery();
    IniFile saved = IniFile::Load(home / "Dravik.INI");
    EXPECT_EQ(saved.ReadString("Setting", "Feed", ""), "25");
    EXPECT_EQ(saved.ReadString("Setting", "Mask", ""), "*.TXT");

    auto second = Start();
    boxes.clear();
    SetFileWriteFaultForTest([](const std::filesystem::path&) { return EROFS; });
    second->FormCloseQuery();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString((home / "Dravik.INI").string())));
    EXPECT_TRUE(second->SettingsSaveFailed);
}

TEST_F(MainWindow, AnErrorThatEscapedSkipsTheSave) {
    WriteIni("Feed=10\r\n");
    auto form = Start();
    form->Settings.Feed = "99";
    form->SkipSettingsSave = true;
    form->FormCloseQuery();
    EXPECT_EQ(IniFile::Load(home / "Dravik.INI").ReadString("Setting", "Feed", ""), "10");
}

TEST_F(MainWindow, DialogsCentreOnTheRememberedRectangle) {
    WriteIni("");
    auto form = Start();
    form->RememberedRect = QRect(100, 50, 728, 518);
    QWidget dialog;
    dialog.resize(301, 200);
    form->CentreDialog(&dialog);
    EXPECT_EQ(dialog.pos(), QPoint(100 + 364 - 150, 50 + 259 - 100));
}

TEST_F(MainWindow, ASettingsFileThatCannotBeReadStartsWithDefaultsAndIsNotReplaced) {
    std::filesystem::create_directories(home / "Dravik.INI");
    auto form = Start();
    EXPECT_EQ(form->Settings.DirPath, DefaultDirPath());
    EXPECT_FALSE(form->SettingsReadError.empty());
    boxes.clear();
    form->FormCloseQuery();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("設定ファイルを保存できませんでした。"));
    EXPECT_TRUE(form->SettingsSaveFailed);
    EXPECT_TRUE(std::filesystem::is_directory(home / "Dravik.INI"));
}

TEST_F(MainWindow, TheDataViewFitsItsPanelInEveryMode) {
    WriteIni("");
    std::filesystem::create_directories(work());
    home.Write("work/O0001.NC", "O0001\r\nG1X10.Y20.Z-5.F100\r\nM30\r\n%\r\n");
    auto form = Start();
    form->show();
    form->ListDirectory(false, false, false);
    auto fits = [&](const char* mode, int width) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
        EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->width(), width);
        const QRect view = form->RichEdit1->geometry();
        EXPECT_LE(view.right(), Control<QGroupBox>(*form, "GroupBox2")->width() - 1 - view.left());
        // Both scroll bars stand inside the panel, the vertical one at the view's right.
        for (QWidget* bar : {static_cast<QWidget*>(form->RichEdit1->verticalScrollBar()),
                             static_cast<QWidget*>(form->RichEdit1->horizontalScrollBar())}) {
            EXPECT_TRUE(bar->isVisible());
            const QRect inPanel(bar->mapTo(Control<QGroupBox>(*form, "GroupBox2"), QPoint(0, 0)),
                                bar->size());
            EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->rect().contains(inPanel))
                << inPanel.x() << "+" << inPanel.width();
        }
        EXPECT_LE(form->Label16->geometry().right(),
                  Control<QGroupBox>(*form, "GroupBox2")->width());
    };
    form->ListBox1->SetItemIndex(1);
    ASSERT_TRUE(form->FileList.IsFileRow(1)) << form->FileList.RowCount();
    form->ViewFile();
    fits("viewer", 350);
    form->RichEdit1KeyDown(Qt::Key_Escape);
    form->ShowTransferLog();
    fits("transfer log", 350);
    // The receive panel widens it again.
    form->TransferPanel->ShowForReceiving(100);
    fits("receive", 650);
    form->TransferPanel->ShowForSending(false);
    fits("single-file send", 350);
    form->TransferPanel->ShowForSending(true);
    fits("queue send", 650);
}

// Where each box of a job stands, and the title it gets when the job gives none:
// what it is (a question, a completion, nothing done, else a failure), never the
// bare program name; a title the job gives stays.
TEST_F(MainWindow, TheJobsBoxesStandAtTheirPlacesUnderTitlesOfTheirOwn) {
    WriteIni("");
    auto form = Start();
    form->move(90, 60);
    const QPoint corner = form->frameGeometry().topLeft() + QPoint(50, 50);
    TransferHost& host = MainTransferHost(*form);
    struct Case {
        HostBox kind;
        bool question;
        bool atCorner;
        const char* caption; // given by the job
        const char* shown;
    };
    const Case cases[] = {
        {HostBox::Warning, true, true, "", "確認"},     // "ＮＣ装置側の準備…"
        {HostBox::Error, false, true, "", "エラー"},    // the auto-select error, the lost line
        {HostBox::Question, true, false, "", "確認"},   // centred like every other box
        {HostBox::Plain, false, false, "", "エラー"},   // "COM1のポートが開きません。!!"
        {HostBox::Plain, false, false, "確認", "確認"}, // the tape reader prompt
        {HostBox::Information, false, false, "", "完了"},
        {HostBox::Exclamation, false, false, "", "中止"},
        {HostBox::Refusal, false, false, "", "確認"},
        {HostBox::Warning, false, true, "警告", "警告"},
    };
    for (const Case& c : cases) {
        boxes.clear();
        if (c.question)
            host.AskYesNo(c.kind, c.caption, "?");
        else
            host.ShowBox(c.kind, c.caption, "!");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].position.has_value(), c.atCorner) << int(c.kind);
        if (c.atCorner) {
            EXPECT_EQ(*boxes[0].position, corner);
        }
        EXPECT_EQ(boxes[0].caption, QString::fromUtf8(c.shown)) << int(c.kind);
    }
}

namespace {

// Each mode of the transfer panel at its place, in its title, with the remaining
// line left or hidden; F3 on the data view closes only the viewer and the log, and
// the panel says its mode without anyone reading its title.
TEST_F(MainWindow, TheTransferPanelShowsOneModeAtATimeAndSaysWhich) {
    WriteIni("");
    home.Write("work/O0001.NC", "O0001\r\nM30\r\n");
    auto form = Start();
    form->show();
    form->ListDirectory(false, false, false);
    form->ListBox1->SetItemIndex(1);
    ASSERT_TRUE(form->FileList.IsFileRow(1));
    TTransferPanel& panel = *form->TransferPanel;
    struct Case {
        const char* name;
        std::function<void()> show;
        TransferPanelMode mode;
        QString title;
        QRect place;
        bool remainingShown;
        bool f3Closes;
    };
    const std::vector<Case> cases = {
        {"viewer",
         [&] { form->ViewFile(); },
         TransferPanelMode::Viewing,
         "ファイルビュー",
         {328, 100, 350, 289},
         false,
         true},
        {"log",
         [&] { form->ShowTransferLog(); },
         TransferPanelMode::Log,
         "送受信ログ",
         {328, 100, 350, 289},
         false,
         true},
        {"receive",
         [&] { panel.ShowForReceiving(50); },
         TransferPanelMode::Receiving,
         "受信データ",
         {24, 96, 650, 289},
         false,
         false},
        {"one file",
         [&] { panel.ShowForSending(false); },
         TransferPanelMode::Sending,
         "送信データ",
         {328, 184, 350, 289},
         true,
         false},
        {"queue",
         [&] { panel.ShowForSending(true); },
         TransferPanelMode::Sending,
         "送信データ",
         {50, 184, 650, 289},
         true,
         false},
    };
    auto* box = Control<QGroupBox>(*form, "GroupBox2");
    auto* remaining = Control<QLabel>(*form, "Label17");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel.ShowRemaining("残り 15ﾊﾞｲﾄ");
        c.show();
        EXPECT_EQ(panel.Mode(), c.mode);
        EXPECT_EQ(box->title(), c.title);
        EXPECT_EQ(box->geometry(), c.place);
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(remaining->isVisible(), c.remainingShown);
        EXPECT_EQ(form->RichEdit1KeyDown(Qt::Key_F3), c.f3Closes);
        EXPECT_EQ(box->isHidden(), c.f3Closes);
        panel.Hide();
        EXPECT_EQ(panel.Mode(), TransferPanelMode::Hidden);
        // A hidden panel was a viewer once, but F3 no longer closes anything.
        EXPECT_FALSE(form->RichEdit1KeyDown(Qt::Key_F3));
        form->ReturnToIdle();
    }
}

// The bar of a send counts from 0 to the size, the queue's entries are highlighted
// in turn, and a received program's line is listed and highlighted.
TEST_F(MainWindow, TheTransferPanelsListAndBarFollowTheJob) {
    WriteIni("");
    auto form = Start();
    TTransferPanel& panel = *form->TransferPanel;
    auto* bar = Control<QProgressBar>(*form, "ProgressBar1");
    auto* list = Control<QListWidget>(*form, "ListBox2");
    panel.ShowForSending(true);
    panel.SetQueue({"A.NC", "B.NC"});
    panel.SetProgress(70);
    panel.SetProgressRange(400);
    EXPECT_EQ(bar->maximum(), 400);
    EXPECT_EQ(bar->value(), 0);
    panel.SetProgress(120);
    EXPECT_EQ(bar->value(), 120);
    panel.HighlightQueueEntry(1);
    EXPECT_EQ(list->currentItem()->text(), "B.NC");

    panel.ShowForReceiving(1000);
    EXPECT_EQ(list->count(), 0) << "the queue of the send is gone";
    EXPECT_EQ(bar->maximum(), 1000);
    panel.ListProgram(0, "O0001");
    panel.ListProgram(1, "O0002");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1);
}

} // namespace
