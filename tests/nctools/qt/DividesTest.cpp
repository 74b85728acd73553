// The split dialog as the operator drives it: opened with B on a file of the list,
// the destination typed or taken from the history, the options menu, the questions,
// and closes asked for while the split runs.
#include "nctools/qt/Divides.h"

#include "app/qt/Mainunit1.h"
#include "files/TextDocument.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "nctools/SplitOptions.h"
#include "platform/FileWrite.h"
#include "support/BoxRecorder.h"
#include "support/TempDir.h"
#include "support/TestWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

class DividesFixture : public ::testing::Test, protected BoxRecorder {
protected:
    void SetUp() override {
        Watch(form);
        fs::create_directory(dir / "work");
        form.DirPath = (dir / "work").string();
        form.historyFile = dir / "Path.lst";
        form.optionsFile = dir / "Div_Sub.ini";
        form.SourceName = "ALL.NC";
        form.Source = &source;
        form.relist = [this] { ++relists; };
        form.restoreLegend = [this] { ++legends; };
        source.SetText("%\nO0001\nG00 X1.\nM30\n%\nO0002 (B)\nM30\n%\n");
        AnswerQuestions();
    }
    void TearDown() override { SetFileWriteFaultForTest(nullptr); }
    void Type(const QString& text) {
        form.ComboBox1->setEditText(QString());
        QTest::keyClicks(form.ComboBox1->lineEdit(), text);
    }

    TempDir dir;
    TextDocument source;
    TDividesForm form;
    int relists = 0;
    int legends = 0;
};

TEST_F(DividesFixture, ShowTakesFlagsHistoryAndSource) {
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), "Ｏ番号毎分割");
    EXPECT_EQ(form.MainMenu1->actions().at(0)->text(), "分割ｵﾌﾟｼｮﾝ");
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), form.DirPath); // no Path.lst yet
    EXPECT_EQ(form.Label1->text(), "ALL.NC");
    EXPECT_EQ(form.ProgressBar1->maximum(), 8);
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_TRUE(form.Button1->isEnabled());
    EXPECT_FALSE(form.op_f->isChecked() || form.op_b->isChecked() || form.op_n->isChecked());

    // The menu entries turn their flags; the close writes them and the history.
    form.op_f->trigger();
    form.op_n->trigger();
    form.op_n->trigger();
    form.op_b->trigger();
    EXPECT_TRUE(form.op_f->isChecked() && form.op_b->isChecked() && !form.op_n->isChecked());
    form.ComboBox1->setEditText("");
    EXPECT_FALSE(form.Button1->isEnabled());
    form.done(QDialog::Rejected);
    EXPECT_EQ(TempDir::Read(dir / "Div_Sub.ini"), "[Sub]\r\nF_Set=1\r\nB_Set=1\r\nN_Set=0\r\n");
    EXPECT_EQ(legends, 1);

    // The next showing reads them back; an empty history gives the working directory,
    // a history its first entry.
    dir.Write("Path.lst", "/first\r\n/second\r\n");
    form.FormShow();
    EXPECT_TRUE(form.op_f->isChecked() && form.op_b->isChecked() && !form.op_n->isChecked());
    EXPECT_EQ(form.ComboBox1->currentText(), "/first");
    EXPECT_EQ(form.ComboBox1->count(), 2);
    dir.Write("Path.lst", "");
    form.FormShow();
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), form.DirPath);
}

TEST_F(DividesFixture, FolderBrowserFillsTheDestination) {
    form.FormShow();
    std::vector<QString> titles;
    QString chosen = "/chosen";
    form.browseForTest = [&](const QString& title, const QString& start) {
        titles.push_back(title);
        EXPECT_EQ(start.toStdString(), form.DirPath);
        return chosen;
    };
    form.ComboBox1->setEditText("");
    form.Button3Click();
    EXPECT_EQ(form.ComboBox1->currentText(), "/chosen");
    EXPECT_TRUE(form.Button1->isEnabled());
    chosen.clear(); // cancelled: the working directory
    form.Button3Click();
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), form.DirPath);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + QString::fromStdString(form.DirPath));
}

TEST_F(DividesFixture, DestinationFieldKeys) {
    form.FormShow();
    struct Case {
        QString typed;
        QString kept;
        size_t refusals;
    } cases[] = {
        {"abc", "abc", 0}, {"a.b", "ab", 1}, {"x,;y", "xy", 2}, {"c:", "c:", 0},
        {"a/b", "a/b", 0}, {"*?<>|", "", 5}, {"a\\b", "ab", 1},
    };
    for (const Case& c : cases) {
        boxes.clear();
        Type(c.typed);
        EXPECT_EQ(form.ComboBox1->currentText(), c.kept) << c.typed.toStdString();
        ASSERT_EQ(boxes.size(), c.refusals) << c.typed.toStdString();
        for (const BoxRequest& box : boxes) {
            EXPECT_EQ(box.caption, "確認");
            EXPECT_EQ(box.text, "この文字はフォルダー名に使えません。\n\\:,;*?<>|.");
        }
    }
    // Enter with a text starts the split.
    Type(QString::fromStdString((dir / "out").string()));
    boxes.clear();
    QTest::keyClick(form.ComboBox1->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "ディレクトリが見つかりません。ディレクトリを作成しますか？");
    EXPECT_EQ(boxes[1].caption, "完了");
    EXPECT_EQ(boxes[1].text, "Ｏ番号毎に分割完了しました。");
    EXPECT_TRUE(fs::exists(dir / "out" / "O0001.NC"));
    EXPECT_TRUE(fs::exists(dir / "out" / "O0002 .NC"));
}

TEST_F(DividesFixture, MissingFolderNoKeepsTheDialogYesCreatesIt) {
    dir.Write("Path.lst", "/earlier\r\n");
    form.FormShow();
    const QPoint corner = form.frameGeometry().topLeft();
    const std::string target = (dir / "new" / "deep").string() + "/";
    answer = kAnswerNo;
    form.ComboBox1->setEditText(QString::fromStdString(target));
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].position, corner + QPoint(50, 50));
    EXPECT_FALSE(fs::exists(dir / "new"));
    // The text is the history's first entry: the one just typed.
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), target);
    EXPECT_TRUE(form.Button1->isEnabled());
    EXPECT_EQ(form.ListBox1->count(), 0);

    boxes.clear();
    answer = kAnswerYes;
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Ｏ番号毎に分割完了しました。");
    EXPECT_TRUE(fs::exists(dir / "new" / "deep" / "O0001.NC"));
    EXPECT_EQ(relists, 1);
    ASSERT_EQ(form.ListBox1->count(), 2);
    EXPECT_EQ(form.ListBox1->item(1)->text(), "O0002 (B)");
    EXPECT_EQ(form.ListBox1->currentRow(), 1);
    EXPECT_EQ(form.ProgressBar1->value(), 8);
    EXPECT_EQ(TempDir::Read(dir / "Path.lst"), target + "\r\n/earlier\r\n");
}

// Path.lst is shared with the copy and move dialog: a Shift-JIS folder written by
// the Windows build is found by its own bytes.
TEST_F(DividesFixture, ShiftJisDestinationFromTheHistoryKeepsItsBytes) {
    const std::string folder = (dir / "\x83\x66\x81\x5B\x83\x5E").string(); // "データ"
    fs::create_directory(folder);
    dir.Write("Path.lst", folder + "\r\n");
    form.FormShow();
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u); // the completion, no question
    EXPECT_EQ(boxes[0].caption, "完了");
    EXPECT_TRUE(fs::exists(fs::path(folder) / "O0001.NC"));
    form.done(QDialog::Accepted);
    EXPECT_EQ(TempDir::Read(dir / "Path.lst"), folder + "\r\n");
}

TEST_F(DividesFixture, NoProgramLineClosesWithTheNotice) {
    source.SetText("%\nG00 X1.\nM30\n%\n");
    form.FormShow();
    form.ComboBox1->setEditText(QString::fromStdString(form.DirPath));
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "中止");
    EXPECT_EQ(boxes[0].text, "プログラム番号が見つかりませんでした。。");
    EXPECT_TRUE(fs::is_empty(dir / "work"));
    EXPECT_EQ(relists, 0);
    EXPECT_EQ(legends, 1); // closed
}

// A close and an Enter during the run neither stop it nor start a second one.
TEST_F(DividesFixture, CloseAndEnterDuringTheRunWaitForItsEnd) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += (i % 500 == 0 ? "O" + std::to_string(i) : "X" + std::to_string(i)) + "\n";
    source.SetText(text);
    form.FormShow();
    form.ComboBox1->setEditText(QString::fromStdString(form.DirPath));
    QTimer::singleShot(0, [this] {
        EXPECT_TRUE(form.Running());
        QTest::keyClick(form.ComboBox1->lineEdit(), Qt::Key_Return);
        form.Button2->click();
        EXPECT_EQ(legends, 0);
    });
    form.Button1Click();
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ListBox1->count(), 40);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "完了");
    EXPECT_EQ(legends, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "work"), fs::directory_iterator()), 40);
}

// Mended: a file that cannot be written is named; the dialog stays open for another
// destination, and the files before it are whole.
TEST_F(DividesFixture, FailedWriteNamesTheFileAndKeepsTheDialog) {
    form.FormShow();
    SetFileWriteFaultForTest(
        [](const fs::path& path) { return path.filename() == "O0002 .NC" ? EROFS : 0; });
    form.ComboBox1->setEditText(QString::fromStdString(form.DirPath));
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(boxes[0].caption, "エラー");
    EXPECT_TRUE(boxes[0].text.contains("O0002 .NC")) << boxes[0].text.toStdString();
    EXPECT_TRUE(form.Button1->isEnabled());
    EXPECT_EQ(legends, 0);
    EXPECT_EQ(TempDir::Read(dir / "work" / "O0001.NC"), "O0001\r\nG00 X1.\r\nM30\r\n");
    EXPECT_FALSE(fs::exists(dir / "work" / "O0002 .NC"));
}

// B on a file of the list, twice in one window: the found list starts empty each
// time, the options and the destination history carry over.
TEST(SplitCommand, TwoSplitsInOneWindow) {
    TestWindow window;
    TForm1& form = *window.form;
    const fs::path work = window.home / "work";
    window.home.Write("work/ALL.NC", "%\r\n(HEAD)\r\nO0001\r\nX1\r\nO0002\r\nX2\r\n%\r\n");
    form.ListDirectory(false, false, false);
    int row = -1;
    for (int r = 0; r < form.FileList.RowCount(); ++r) {
        if (form.FileList.EntryName(r) == "ALL.NC")
            row = r;
    }
    ASSERT_GE(row, 0);
    for (int round = 0; round < 2; ++round) {
        const fs::path dest = window.home / ("out" + std::to_string(round));
        fs::create_directory(dest);
        form.ListBox1->SetItemIndex(row);
        QTimer::singleShot(0, [&] {
            TDividesForm* dialog = form.DividesForm;
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->ListBox1->count(), 0);
            EXPECT_EQ(dialog->Label1->text(), "ALL.NC");
            if (round == 0)
                dialog->op_b->trigger();
            else
                EXPECT_TRUE(dialog->op_b->isChecked());
            dialog->ComboBox1->setEditText(QString::fromStdString(dest.string()));
            dialog->Button1Click();
        });
        QTest::keyClick(form.ListBox1, Qt::Key_B);
        EXPECT_FALSE(form.DividesForm->isVisible());
        EXPECT_EQ(TempDir::Read(dest / "O0001.NC"), "(HEAD)\r\nO0001\r\nX1\r\n%\r\n");
        EXPECT_EQ(TempDir::Read(dest / "O0002.NC"), "O0002\r\nX2\r\n%\r\n");
        EXPECT_EQ(form.RichEdit1->LineCount(), 7u);
    }
    EXPECT_EQ(TempDir::Read(window.home / "Path.lst"),
              (window.home / "out1").string() + "\r\n" + (window.home / "out0").string() + "\r\n");
    EXPECT_EQ(TempDir::Read(window.home / "Div_Sub.ini"),
              "[Sub]\r\nF_Set=0\r\nB_Set=1\r\nN_Set=0\r\n");
}

} // namespace
