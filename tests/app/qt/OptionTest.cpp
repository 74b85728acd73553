// Keystroke scripts on the options dialog, shown over a real main window.
#include "app/qt/Option.h"
#include "app/qt/Mainunit1.h"
#include "files/qt/FileListBox.h"
#include "platform/qt/MessageBox.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class OptionDialog : public ::testing::Test {
protected:
    void SetUp() override { dialog = form->OptionForm; }

    // Shows the dialog as the key O does, without its modal loop.
    void Open(int page = 0) {
        dialog->PageControl1->setCurrentIndex(page);
        form->RememberWindowRect();
        dialog->show();
        QApplication::setActiveWindow(dialog);
    }
    QLineEdit* Field(int number) const { return dialog->LabeledEdit(number); }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    void Enter(int number) {
        Field(number)->setFocus();
        Field(number)->selectAll();
    }
    void Type(int number, const char* keys) { QTest::keyClicks(Field(number), keys); }
    void Key(int number, Qt::Key key) { QTest::keyClick(Field(number), key); }

    TestWindow window;
    TempDir& home = window.home;
    std::unique_ptr<TForm1>& form = window.form;
    TOptionForm* dialog = nullptr;
    std::vector<BoxRequest>& boxes = window.boxes;
    int& answer = window.answer;
};

} // namespace

TEST_F(OptionDialog, FieldsStandOnTheirPagesWithTheirLimits) {
    EXPECT_EQ(dialog->windowTitle(), "ｵﾌﾟｼｮﾝ設定");
    EXPECT_EQ(dialog->size(), QSize(272, 411));
    ASSERT_EQ(dialog->PageControl1->count(), 4);
    EXPECT_EQ(dialog->PageControl1->tabText(2), "送信");
    EXPECT_EQ(dialog->Button1->text(), "変更");
    EXPECT_EQ(dialog->Button2->text(), "戻る");
    EXPECT_EQ(dialog->LabeledEditLabel(12)->text(), "受信時、ﾜｰﾄﾞ毎にｽﾍﾟｰｽをつけない(Y/N)");
    EXPECT_EQ(dialog->LabeledEditLabel(20)->text(), "ＮＣからの中止信号は無効(Y/N)");
    EXPECT_EQ(Field(4)->maxLength(), 3);
    EXPECT_EQ(Field(18)->maxLength(), 5);
    EXPECT_EQ(Field(16)->width(), 137);
    EXPECT_EQ(Field(19)->width(), 50);
    const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
    int hints = 0;
    for (QLabel* label : labels) {
        if (label->text() == "(0:標準 1:ｽﾍﾟｰｽ 2:ﾀｲﾏｰ)" ||
            label->text() == "(1:%+LF 2:%%+LF 3:% * 4:% 5:%%)" ||
            label->text() == "(1:% 2:%% 3:%+LF 4:%%+LF)") {
            ++hints;
            EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        }
    }
    EXPECT_EQ(hints, 3);
}

TEST_F(OptionDialog, OpensFilledAndClosesWithoutAQuestion) {
    form->Settings.InvTime = 120;
    form->Settings.SendMsg1 = "(MSG)";
    Open();
    EXPECT_EQ(Field(4)->text(), "120");
    EXPECT_EQ(Field(16)->text(), "(MSG)");
    EXPECT_EQ(Field(2)->text(), "Y");
    EXPECT_FALSE(dialog->Button1->isEnabled());
    EXPECT_EQ(Focused(), Field(3));
    QTest::keyClick(Field(3), Qt::Key_Escape);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(OptionDialog, TypedLettersAreCapitalsAndOthersAreDropped) {
    Open();
    Enter(3);
    Type(3, "x");
    EXPECT_EQ(Field(3)->text(), "N");
    EXPECT_FALSE(dialog->Button1->isEnabled());
    Type(3, "y");
    EXPECT_EQ(Field(3)->text(), "Y");
    EXPECT_TRUE(dialog->Button1->isEnabled());
    dialog->Button1->click();
    EXPECT_EQ(form->Settings.op1, "Y");
    EXPECT_FALSE(dialog->Button1->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OptionDialog, EnterMovesOnlyFromAFilledField) {
    Open();
    Enter(6);
    Key(6, Qt::Key_Backspace);
    Key(6, Qt::Key_Return);
    EXPECT_EQ(Focused(), Field(6));
    EXPECT_TRUE(dialog->isVisible());
    Type(6, "n");
    Key(6, Qt::Key_Return);
    EXPECT_EQ(Focused(), Field(7));
    EXPECT_TRUE(dialog->isVisible()); // Enter presses no button
}

TEST_F(OptionDialog, UpAndDownWrapWithinThePage) {
    Open(2);
    ASSERT_EQ(Focused(), Field(4));
    Key(4, Qt::Key_Up);
    EXPECT_EQ(Focused(), Field(20));
    Key(20, Qt::Key_Down);
    EXPECT_EQ(Focused(), Field(4));
    Key(4, Qt::Key_Down);
    EXPECT_EQ(Focused(), Field(13));
    Enter(22);
    Key(22, Qt::Key_Return);
    EXPECT_EQ(Focused(), Field(2));
}

TEST_F(OptionDialog, MoreColumnsWidenTheListAtOnce) {
    ASSERT_EQ(form->Settings.ListColumn, 2);
    ASSERT_EQ(form->ListBox1->width(), 616);
    Open(3);
    Enter(5);
    Type(5, "5");
    dialog->Button1->click();
    EXPECT_EQ(form->Settings.ListColumn, 5);
    EXPECT_EQ(form->ListBox1->width(), 728);
    EXPECT_EQ(form->ListBox1->Columns(), 5);
    EXPECT_TRUE(form->Timer1->isActive());
    // Taken into the settings only: the file is written at the close.
    EXPECT_EQ(TempDir::Read(home / "Dravik.INI").find("ListColumn"), std::string::npos);
}

TEST_F(OptionDialog, SendBeforeTakesThree) {
    Open(2);
    Enter(13);
    Type(13, "3");
    EXPECT_EQ(Field(13)->text(), "3");
    Type(13, "4");
    EXPECT_EQ(Field(13)->text(), "3");
    dialog->Button1->click();
    EXPECT_EQ(form->Settings.Send_Before, 3);
}

TEST_F(OptionDialog, CloseQuestionYesDropsNoStores) {
    Open();
    Enter(7);
    Type(7, "n");
    answer = kAnswerYes;
    dialog->Button2->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "オプション設定");
    EXPECT_EQ(boxes[0].text, "オプション設定が変更されています。\n保存せずに終了しますか？");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Question);
    EXPECT_EQ(form->LastAnswer, kAnswerYes);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(form->Settings.Add_No, "Y");

    boxes.clear();
    Open();
    Enter(7);
    Type(7, "n");
    answer = kAnswerNo;
    dialog->close(); // the close box
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(form->Settings.Add_No, "N");
}

TEST_F(OptionDialog, EmptyNumberIsRefusedBeforeAnythingIsStored) {
    Open();
    Enter(3);
    Type(3, "y");
    Enter(4);
    Key(4, Qt::Key_Backspace);
    dialog->PageControl1->setCurrentIndex(0);
    dialog->Button1->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(boxes[0].text, "「ｳｪｲﾄﾀｲﾑ(msec)」に数値を入力してください。");
    EXPECT_EQ(form->Settings.op1, "N");
    EXPECT_TRUE(dialog->Button1->isEnabled());
    EXPECT_EQ(dialog->PageControl1->currentIndex(), 2);
    EXPECT_EQ(Focused(), Field(4));

    // Closing with No to the question cannot store either: the dialog stays.
    boxes.clear();
    answer = kAnswerNo;
    QTest::keyClick(Field(4), Qt::Key_Escape);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OptionDialog, KeyOInTheListOpensTheDialogModally) {
    bool shown = false;
    QTimer::singleShot(0, dialog, [&] {
        shown = dialog->isVisible() && dialog->isModal();
        QTest::keyClick(Field(3), Qt::Key_Escape);
    });
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_O);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(OptionDialog, AllFilesRelistsAtOnce) {
    home.Write("work/A.NC", "%\n");
    home.Write("work/B.TXT", "x\n");
    form->ListDirectory(false, false, false);
    const int before = form->ListBox1->Count();
    Open(3);
    Enter(2);
    Type(2, "n");
    dialog->Button1->click();
    EXPECT_EQ(form->Settings.ALLFiles, "N");
    EXPECT_EQ(form->ListBox1->Count(), before - 1);
    EXPECT_TRUE(form->Timer1->isActive());
}
