// The rename dialogs driven by keys: the kinds as the entry shows them, the caret
// rule of kind 4, the refused "/" and the name handed back as bytes.
#include "files/qt/Rname.h"
#include "files/qt/Rnamea.h"

#include "support/BoxRecorder.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A radio button takes clicks on its circle and caption only, not on the whole width.
void Click(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

struct RnameDialog : ::testing::Test, BoxRecorder {
    TRNameForm form;

    void SetUp() override {
        Watch(form);
        answer = kAnswerOk;
        form.CentreRect = QRect(100, 100, 800, 600);
    }
    void Open(const std::string& name) {
        form.CurrentName = name;
        form.hide();
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QString Text() const { return form.LabeledEdit1->text(); }
    void Enter() { QTest::keyClick(form.LabeledEdit1, Qt::Key_Return); }
};

TEST_F(RnameDialog, EachKindAsTheEntryShowsItWithFullWidthLetters) {
    struct Case {
        QRadioButton* TRNameForm::*button;
        RenameKind kind;
        const char* shown;
        const char* typedThen; // after "ＡbC" typed at the end
    } cases[] = {
        {&TRNameForm::RadioButton1, RenameKind::AsTyped, "ｐrog_o1.Nc", "ｐrog_o1.NcＡbC"},
        {&TRNameForm::RadioButton2, RenameKind::Upper, "ｐROG_O1.NC", "ｐROG_O1.NCＡBC"},
        {&TRNameForm::RadioButton3, RenameKind::Lower, "ｐrog_o1.nc", "ｐrog_o1.ncＡbc"},
        {&TRNameForm::RadioButton4, RenameKind::Capitalised, "ｐrog_o1.nc", "ｐrog_o1.ncＡbc"},
    };
    for (const Case& c : cases) {
        Open("ｐrog_o1.Nc");
        EXPECT_TRUE(form.RadioButton1->isChecked());
        EXPECT_EQ(form.Kind, RenameKind::AsTyped);
        Click(form.*c.button);
        EXPECT_EQ(form.Kind, c.kind);
        EXPECT_EQ(Text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(QApplication::focusWidget(), form.LabeledEdit1);
        form.LabeledEdit1->end(false);
        TypeText(form.LabeledEdit1, QStringLiteral("ＡbC"));
        EXPECT_EQ(Text(), QString::fromUtf8(c.typedThen));
        Enter();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(form.ResultName, c.typedThen);
    }
    EXPECT_EQ(form.Label1->text(), "ｐrog_o1.Nc");
    EXPECT_EQ(form.windowTitle(), "名前変更");
    EXPECT_EQ(form.size(), QSize(372, 167));
    EXPECT_EQ(form.pos(), QPoint(100 + 400 - 186, 100 + 300 - 83));
}

TEST_F(RnameDialog, KindFourKeepsOnlyTheFirstLetterUpperAndTheCaretBehindIt) {
    Open("o1234.nc");
    Click(form.RadioButton4);
    EXPECT_EQ(Text(), "O1234.nc");
    form.LabeledEdit1->end(false);
    QTest::keyClicks(form.LabeledEdit1, "ABC");
    EXPECT_EQ(Text(), "O1234.ncabc");
    // Everything replaced by one letter: upper case, the caret behind it.
    form.LabeledEdit1->selectAll();
    QTest::keyClicks(form.LabeledEdit1, "p");
    EXPECT_EQ(Text(), "P");
    EXPECT_EQ(form.LabeledEdit1->cursorPosition(), 1);
    // The first character deleted: the next one moves up into upper case.
    form.LabeledEdit1->setText("Pq");
    form.LabeledEdit1->setCursorPosition(1);
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "Q");
    EXPECT_EQ(form.LabeledEdit1->cursorPosition(), 1);
}

TEST_F(RnameDialog, SlashIsRefusedAndAnEmptyEntryIgnoresEnter) {
    Open("A.NC");
    form.LabeledEdit1->end(false);
    QTest::keyClicks(form.LabeledEdit1, "/B");
    EXPECT_EQ(Text(), "A.NCB");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "確認");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    // Pasted text too.
    form.LabeledEdit1->selectAll();
    form.LabeledEdit1->insert("sub/x.nc");
    EXPECT_EQ(Text(), "subx.nc");
    EXPECT_EQ(boxes.size(), 2u);

    form.LabeledEdit1->clear();
    Enter();
    EXPECT_TRUE(form.isVisible());
    // OK with an empty entry hands back an empty name, which renames nothing.
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.ResultName, "");
}

TEST_F(RnameDialog, AShiftJisNameGoesBackAsItsBytes) {
    const std::string sjis = "\x83\x76\x83\x8D\x83\x4F.nc"; // "プログ.nc" in Shift-JIS
    Open(sjis);
    EXPECT_EQ(form.Label1->text(), "プログ.nc");
    Enter();
    EXPECT_EQ(form.ResultName, sjis);

    Open(sjis);
    Click(form.RadioButton2);
    Enter();
    EXPECT_EQ(form.ResultName, "\x83\x76\x83\x8D\x83\x4F.NC");

    // Cancel keeps the last result.
    Open("other.nc");
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.ResultName, "\x83\x76\x83\x8D\x83\x4F.NC");
}

TEST(RnameaDialog, EachShowingStartsAtKindOne) {
    TRNameAForm form;
    form.CentreRect = QRect(0, 0, 600, 400);
    QRadioButton* TRNameAForm::*buttons[] = {&TRNameAForm::RadioButton1, &TRNameAForm::RadioButton2,
                                             &TRNameAForm::RadioButton3, &TRNameAForm::RadioButton4,
                                             &TRNameAForm::RadioButton5};
    for (int i = 0; i < 5; ++i) {
        form.show();
        EXPECT_TRUE(form.RadioButton1->isChecked());
        EXPECT_EQ(form.Kind, RenameKind::AsTyped);
        Click(form.*buttons[i]);
        EXPECT_EQ(static_cast<int>(form.Kind), i + 1);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(form.windowTitle(), "名前変更");
    EXPECT_EQ(form.RadioButton5->text(), "個々に名前を変更");
}

} // namespace
