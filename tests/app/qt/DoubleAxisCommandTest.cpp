// The doubling command on the real main window: H on a file row loads it, opens the
// dialog with the "_2" name, and the conversion re-lists the folder; a second H on
// another file finds the dialog empty again.
#include "app/qt/Mainunit1.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "nctools/qt/Bai2.h"
#include "support/TestWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class DoubleAxisCommand : public ::testing::Test {
protected:
    void SetUp() override {
        window.home.Write("work/O1234.NC", "%\nO1234\nG01 X12.5 Y3.\nM30\n%\n");
        window.home.Write("work/P7", "G00X.5\n");
        window.form->ListDirectory(false, false, false);
    }
    int RowOf(const std::string& name) const {
        const FileListModel& list = window.form->FileList;
        for (size_t i = 0; i < list.files.size(); ++i)
            if (list.files[i].name == name)
                return static_cast<int>(i) + list.FirstFileRow();
        return -1;
    }
    // Presses H on the row of name; typed goes into the dialog's axis field,
    // followed by Enter, once the dialog is up. What the dialog showed is kept.
    void DoubleOn(const std::string& name, const QString& typed) {
        window.form->ListBox1->SetItemIndex(RowOf(name));
        QTimer::singleShot(0, [this, typed] {
            auto* dialog = qobject_cast<TBai2Form*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            fieldAtShow = dialog->Edit1->text();
            source = dialog->Label2->text();
            output = dialog->Label3->text();
            QTest::keyClicks(dialog->Edit1, typed);
            QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        });
        QTest::keyClick(window.form->ListBox1, Qt::Key_H);
    }
    std::filesystem::path work() const { return window.home / "work"; }

    TestWindow window;
    QString fieldAtShow, source, output;
};

TEST_F(DoubleAxisCommand, TwoFilesInARowEachIntoItsOwnOutput) {
    DoubleOn("O1234.NC", "x");
    EXPECT_EQ(source, "変換前:O1234.NC");
    EXPECT_EQ(output, "変換後:O1234_2.NC");
    EXPECT_EQ(TempDir::Read(work() / "O1234_2.NC"), "%\r\nO1234\r\nG01 X25.0 Y3.\r\nM30\r\n%\r\n");
    EXPECT_EQ(TempDir::Read(work() / "O1234.NC"), "%\nO1234\nG01 X12.5 Y3.\nM30\n%\n");
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "X軸を２倍に変換しました。\n変換ファイル名は O1234_2.NCです。");
    EXPECT_GE(RowOf("O1234_2.NC"), 0) << "the list was read again";
    EXPECT_EQ(window.form->RichEdit1->LineText(2), "G01 X25.0 Y3.");

    // A name without an extension gets the mask's; the field starts empty again.
    DoubleOn("P7", "x");
    EXPECT_EQ(fieldAtShow, "");
    EXPECT_EQ(output, "変換後:P7_2.NC");
    EXPECT_EQ(TempDir::Read(work() / "P7_2.NC"), "G00X1.0\r\n");
}

// Nothing is converted that the view does not hold: an empty output reported as
// done would pass for the doubled program.
TEST_F(DoubleAxisCommand, FileGoneSinceTheListingIsRefused) {
    std::filesystem::remove(work() / "P7");
    window.form->ListBox1->SetItemIndex(RowOf("P7"));
    window.answer = kAnswerNo; // the format question that the empty view brings
    QTest::keyClick(window.form->ListBox1, Qt::Key_H);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_FALSE(window.boxes.empty());
    EXPECT_EQ(window.boxes.back().text, "ファイル P7 を読み込めません。");
    EXPECT_FALSE(std::filesystem::exists(work() / "P7_2.NC"));
}

TEST_F(DoubleAxisCommand, NoToTheFormatQuestionEndsTheCommand) {
    window.home.Write("work/BIN.NC", std::string("\0\0X1\n", 5));
    window.form->ListDirectory(false, false, false);
    window.form->ListBox1->SetItemIndex(RowOf("BIN.NC"));
    window.answer = kAnswerNo;
    QTest::keyClick(window.form->ListBox1, Qt::Key_H);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(window.boxes.size(), 1u); // the question only
    EXPECT_FALSE(std::filesystem::exists(work() / "BIN_2.NC"));
}

TEST_F(DoubleAxisCommand, ParentRowDoesNothing) {
    window.form->ListBox1->SetItemIndex(0); // the parent row
    QTest::keyClick(window.form->ListBox1, Qt::Key_H);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window.boxes.empty());
}

} // namespace
