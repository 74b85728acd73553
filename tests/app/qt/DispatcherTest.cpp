// The dispatcher as keystroke scripts on the real main window, offscreen: each key
// or click and the state of the list, the marks, the message line and the panels it
// must leave.
#include "files/qt/FileListBox.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Records the keys that reach a widget, to see what PressKey delivered.
class KeyRecorder : public QObject {
public:
    std::vector<std::pair<QEvent::Type, int>> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            keys.emplace_back(event->type(), static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};

class Dispatcher : public ::testing::Test, protected WindowHome {
protected:
    Dispatcher() { answer = kAnswerOk; }
    void TearDown() override { form.reset(); }
    void Files(int count, const std::string& prefix = "O") {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%04d.NC", prefix.c_str(), i);
            int fd = ::open((work() / name).c_str(), O_CREAT | O_WRONLY, 0644);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, name, i % 7), i % 7); // sizes 0 to 6
            ::close(fd);
        }
    }
    void Start(const std::string& settings = "") {
        WriteIni(settings);
        form = Open();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(form->ListBox1, key, modifiers);
    }
    int Current() const { return form->ListBox1->ItemIndex(); }
    std::vector<int> Marked() const {
        std::vector<int> rows;
        for (int row = 0; row < form->FileList.RowCount(); ++row)
            if (form->FileList.IsMarked(row))
                rows.push_back(row);
        return rows;
    }
    static std::vector<int> Span(int first, int last) {
        std::vector<int> rows;
        for (int row = first; row <= last; ++row)
            rows.push_back(row);
        return rows;
    }
    // The list's drawing area set to a whole number of rows.
    void RowsPerColumn(int rows) {
        int bar = form->ListBox1->horizontalScrollBar()->sizeHint().height();
        form->ListBox1->resize(form->ListBox1->width(), rows * 16 + bar);
        ASSERT_EQ(form->ListBox1->RowsPerColumn(), rows);
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(Dispatcher, TheFirstListingShowsTheWorkingDirectory) {
    Files(3);
    Start();
    EXPECT_EQ(form->ListBox1->Count(), 4);
    EXPECT_EQ(Current(), 0);
    EXPECT_TRUE(
        form->Label7->text().startsWith(" Path=" + QString::fromStdString(work().string())));
    EXPECT_TRUE(form->Label7->text().endsWith("     ﾌｧｲﾙ数 :3"));
    EXPECT_EQ(form->Label8->text(), "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)");
    EXPECT_EQ(form->FileList.rowsPerColumn, form->ListBox1->RowsPerColumn());
}

TEST_F(Dispatcher, ShiftShowsTheShiftLegendUntilReleased) {
    Start();
    QTest::keyPress(form->ListBox1, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(form->Label1->text(), form->ShiftLegend);
    QTest::keyRelease(form->ListBox1, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(form->Label1->text(), form->NormalLegend);
}

TEST_F(Dispatcher, EveryKeyDownFirstStopsTheTimerAndClearsTheMessageLine) {
    Start();
    form->Timer1->start(1000);
    form->SetMessage("x");
    Control<QGroupBox>(*form, "GroupBox2")->show();
    form->SetStatusPanel(0, "a");
    form->SetStatusPanel(2, "b");
    form->SetStatusPanel(4, "c");
    Key(Qt::Key_Q); // not in the table
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "");
    EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
    EXPECT_EQ(form->StatusPanel(0), "");
    EXPECT_EQ(form->StatusPanel(2), "");
    EXPECT_EQ(form->StatusPanel(4), "c");
}

TEST_F(Dispatcher, HomeOnTheThirdOf500FileRowsMarksOneHundred) {
    Files(500);
    Start();
    form->ListBox1->SetItemIndex(3); // the third file row, after the parent row
    Key(Qt::Key_Home);
    EXPECT_EQ(Marked(), Span(3, 102));
    EXPECT_EQ(form->FileList.marks.Count(), 100);
    EXPECT_EQ(Current(), 3); // Home marks; it does not move the cursor
    Key(Qt::Key_End);
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(form->FileList.marks.Count(), 0);
}

TEST_F(Dispatcher, TheHundredAndFirstEnterOnlyMovesTheCursor) {
    Files(102);
    Start();
    form->ListBox1->SetItemIndex(1);
    for (int i = 0; i < 101; ++i)
        Key(Qt::Key_Return);
    EXPECT_EQ(Marked(), Span(1, 100));
    EXPECT_EQ(Current(), 102);
    EXPECT_EQ(form->FileList.lastClickedRow, 102);
    EXPECT_TRUE(form->Label8->text().startsWith("　　ﾌｧｲﾙ詳細 :O0101.NC"));
    Key(Qt::Key_Return); // the last row: marked? no, the list is full; stays put
    EXPECT_EQ(Current(), 102);
    EXPECT_FALSE(form->FileList.IsMarked(102));
    form->ListBox1->SetItemIndex(5);
    Key(Qt::Key_Return); // unmarks and moves on
    EXPECT_FALSE(form->FileList.IsMarked(5));
    EXPECT_EQ(Current(), 6);
}

TEST_F(Dispatcher, PageDownFromRowFiveWithTwoColumnsOfTwentyRows) {
    Files(99); // with the parent row: 100 rows
    Start("ListColumn=2\r\n");
    RowsPerColumn(20);
    form->ListBox1->SetItemIndex(5);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Current(), 40);
    EXPECT_EQ(form->ListBox1->TopIndex(), 40); // it passed row 60: the page is in view
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Current(), 80);
    Key(Qt::Key_PageDown); // the last page: the last row, not past it
    EXPECT_EQ(Current(), 99);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Current(), 40);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Current(), 0);
    Key(Qt::Key_PageUp); // the first page: row 0
    EXPECT_EQ(Current(), 0);
    EXPECT_EQ(form->Label8->text(), "　  一つ上のﾌｫﾙﾀﾞに移動(Enter)");
}

TEST_F(Dispatcher, EscShowsTheStopInRedUntilReturnToIdle) {
    Start();
    Control<QLineEdit>(*form, "Edit1")->setEnabled(true);
    form->SetStatusPanel(5, "COM1");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_EQ(form->StatusPanel(5), "");
    form->ReturnToIdle(); // what Timer1 runs one second later
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->palette().color(QPalette::WindowText),
              QColor(0, 255, 0));
}

TEST_F(Dispatcher, TopBottomAndSpaceKeepingTheCurrentFile) {
    Files(10);
    Start();
    Key(Qt::Key_Z);
    EXPECT_EQ(Current(), 10);
    EXPECT_TRUE(form->Label8->text().startsWith("　　ﾌｧｲﾙ詳細 :O0009.NC"));
    Key(Qt::Key_T);
    EXPECT_EQ(Current(), 0);
    form->ListBox1->SetItemIndex(4);
    std::filesystem::remove(work() / "O0000.NC");
    Key(Qt::Key_Space);
    EXPECT_EQ(form->ListBox1->Count(), 10);
    EXPECT_EQ(form->FileList.EntryName(Current()), "O0003.NC");
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(Dispatcher, EnterOnFolderAndParentRowsChangesTheDirectory) {
    std::filesystem::create_directory(work() / "SUB");
    Files(2);
    Start();
    ASSERT_EQ(form->FileList.KindOf(1), RowKind::Folder);
    form->ListBox1->SetItemIndex(1);
    Key(Qt::Key_Return);
    EXPECT_EQ(form->Settings.DirPath, (work() / "SUB").string());
    EXPECT_EQ(form->ListBox1->Count(), 1); // the parent row
    Key(Qt::Key_Return);
    EXPECT_EQ(form->Settings.DirPath, work().string());
    EXPECT_EQ(form->ListBox1->Count(), 4);
}

TEST_F(Dispatcher, RowCheckCommandsWantAFileRow) {
    Files(1);
    Start();
    form->ListBox1->SetItemIndex(-1);
    Key(Qt::Key_F1);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "ファイルを選択してください。!!");
    form->ListBox1->SetItemIndex(0); // the parent row: nothing, not even the message
    Key(Qt::Key_F1);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "");
}

TEST_F(Dispatcher, ShiftClickMarksTheRangeFromTheLastClickedRow) {
    Files(30);
    Start();
    auto centre = [&](int row) {
        int perColumn = form->ListBox1->RowsPerColumn();
        return QPoint((row / perColumn) * form->ListBox1->ColumnWidth() + 30,
                      (row % perColumn) * 16 + 8);
    };
    QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, {}, centre(3));
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(form->FileList.lastClickedRow, 3);
    QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(7));
    EXPECT_EQ(Marked(), Span(3, 7));
    EXPECT_EQ(form->FileList.marks.Rows(), Span(3, 7));
}

TEST_F(Dispatcher, LegendClicksPressTheKeyUnderThePointer) {
    Start();
    KeyRecorder recorder;
    form->ListBox1->installEventFilter(&recorder);
    QTest::mouseClick(form->Label1, Qt::LeftButton, {}, QPoint(100, 24)); // lower row: F6
    QTest::mouseClick(form->Label1, Qt::LeftButton, {}, QPoint(300, 4));  // upper row: F3
    QCoreApplication::processEvents();
    using Keys = std::vector<std::pair<QEvent::Type, int>>;
    EXPECT_EQ(recorder.keys, (Keys{{QEvent::KeyPress, Qt::Key_F6},
                                   {QEvent::KeyRelease, Qt::Key_F6},
                                   {QEvent::KeyPress, Qt::Key_F3},
                                   {QEvent::KeyRelease, Qt::Key_F3}}));
    QTest::mouseClick(form->Label1, Qt::LeftButton, {}, QPoint(600, 24)); // closes the window
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Dispatcher, DoubleClickOnAFolderEntersIt) {
    std::filesystem::create_directory(work() / "SUB");
    Start();
    QTest::mouseDClick(form->ListBox1->viewport(), Qt::LeftButton, {}, QPoint(30, 16 + 8));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Settings.DirPath, (work() / "SUB").string());
}

TEST_F(Dispatcher, TheSortPanelTakesSixTextsAndEsc) {
    Files(7);
    Start();
    auto* panel = Control<QGroupBox>(*form, "GroupBox3");
    auto* edit7 = Control<QLineEdit>(*form, "Edit7");
    Key(Qt::Key_S);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(form->ListBox1->isEnabled());
    EXPECT_EQ(Control<QLabel>(*form, "Label21")->text(), "現ソート設定: N - D");
    EXPECT_EQ(edit7->text(), "N-D");
    EXPECT_EQ(QApplication::focusWidget(), edit7);

    edit7->clear();
    QTest::keyClicks(edit7, "sxq-u9d"); // x, q, 9 dropped; at most 3 characters
    EXPECT_EQ(edit7->text(), "S-U");
    edit7->setText("N-");
    QTest::keyClick(edit7, Qt::Key_Return);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "ソート設定を確認ください!!");
    EXPECT_TRUE(panel->isVisible());

    edit7->setText("S-U");
    QTest::keyClick(edit7, Qt::Key_Return);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_EQ(form->Settings.FileSort, "S");
    EXPECT_EQ(form->Settings.SortMuki, "U");
    EXPECT_EQ(form->FileList.files.front().size, 0); // smallest first
    EXPECT_EQ(form->StatusPanel(4), QString::fromStdString(form->Settings.Speed1));

    Key(Qt::Key_S);
    QTest::mouseClick(Control<QLabel>(*form, "Label22"), Qt::LeftButton); // the legend presses Esc
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(edit7->text(), "");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(Dispatcher, AColumnClickResortsTheOtherWayAndKeepsRowsAndEntriesTogether) {
    Files(7);
    Start();
    form->ListView1ColumnClick(1); // size, and "D" becomes "U"
    EXPECT_EQ(form->Settings.SortMuki, "U");
    EXPECT_EQ(form->FileList.files.front().size, 0);
    for (int row = form->FileList.FirstFileRow(); row < form->FileList.RowCount(); ++row) {
        std::string name = form->FileList.EntryName(row);
        EXPECT_EQ(form->FileList.rows[static_cast<size_t>(row)].substr(1, 5), name.substr(0, 5));
    }
}

} // namespace

TEST_F(Dispatcher, AltCombinationsNeverRunThePlainLettersCommand) {
    Files(2);
    Start();
    boxes.clear(); // the start-up port checks
    form->ListBox1->SetItemIndex(1);
    // Alt+D once asked to delete and Alt+S opened the sort panel: they belong to the
    // application menu, like Alt alone.
    for (Qt::Key key : {Qt::Key_D, Qt::Key_S, Qt::Key_C, Qt::Key_M, Qt::Key_V, Qt::Key_O,
                        Qt::Key_F5, Qt::Key_Space, Qt::Key_Home, Qt::Key_Alt}) {
        Key(key, Qt::AltModifier);
        EXPECT_TRUE(boxes.empty()) << key;
        EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox3")->isVisible()) << key;
        EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox2")->isVisible()) << key;
        EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled()) << key;
        EXPECT_TRUE(Marked().empty()) << key;
        EXPECT_EQ(Current(), 1) << key;
    }
    Key(Qt::Key_D); // the plain letter still asks
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Dispatcher, EditorInformationAndRenameRefuseWithoutTheirRow) {
    std::filesystem::create_directory(work() / "SUB");
    Files(1);
    Start();
    ASSERT_EQ(form->ListBox1->Count(), 3);
    const QString noFile = "ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)";
    const QString noEntry = "ﾌｧｲﾙ（ﾌｫﾙﾀﾞ）を選択して下さい。";
    struct Case {
        Qt::Key key;
        int row; // -1 none, 0 parent, 1 folder, 2 file
        QString refusal;
    };
    const Case cases[] = {
        // E on a file row, I on an entry and R on a file open their dialogs or start
        // the editor: their own tests drive those, so no modal dialog waits here.
        {Qt::Key_E, -1, noFile},  {Qt::Key_E, 0, noFile}, {Qt::Key_E, 1, noFile},
        {Qt::Key_I, -1, noEntry}, {Qt::Key_I, 0, {}},     {Qt::Key_R, -1, noEntry},
        {Qt::Key_R, 0, {}},
    };
    for (const Case& c : cases) {
        boxes.clear();
        form->ListBox1->SetItemIndex(c.row);
        Key(c.key);
        const std::string what = std::to_string(c.key) + " on row " + std::to_string(c.row);
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(boxes.empty()) << what;
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u) << what;
        EXPECT_EQ(boxes[0].text, c.refusal) << what;
        EXPECT_EQ(boxes[0].caption, "確認");
        EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    }
}

TEST_F(Dispatcher, TheTransferLegendsStopWordsStandInItsClickZone) {
    Start();
    EXPECT_EQ(form->Label16->font(), form->Label1->font());
    const QFontMetrics metrics(form->Label16->font());
    const QString text = form->Label16->text();
    const int stopAt = text.indexOf("中止");
    const int left = metrics.horizontalAdvance(text.left(stopAt));
    const int right = metrics.horizontalAdvance(text);
    EXPECT_GE(left, 220);
    EXPECT_LE(right, 340);
    EXPECT_LE(right, form->Label16->width());

    KeyRecorder recorder;
    form->ListBox1->installEventFilter(&recorder);
    Control<QGroupBox>(*form, "GroupBox2")->show();
    QTest::mouseClick(form->Label16, Qt::LeftButton, {}, QPoint((left + right) / 2, 8));
    QCoreApplication::processEvents();
    using Keys = std::vector<std::pair<QEvent::Type, int>>;
    EXPECT_EQ(recorder.keys, (Keys{{QEvent::KeyPress, Qt::Key_F3}}));
}
