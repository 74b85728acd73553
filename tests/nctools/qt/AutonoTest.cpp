#include "nctools/qt/Autono.h"
#include "support/BoxRecorder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AutonoTest : public ::testing::Test, protected BoxRecorder {
protected:
    AutonoTest() {
        Watch(main);
        answer = kAnswerOk;
        main.setGeometry(100, 200, 801, 601);
        form.show();
        QApplication::setActiveWindow(&form);
    }

    QWidget main;
    TAutoForm form{&main};
};

TEST_F(AutonoTest, FieldTakesThreeAllowedCharacters) {
    EXPECT_TRUE(form.LabeledEdit1->hasFocus());
    QTest::keyClicks(form.LabeledEdit1, "17-");
    EXPECT_EQ(form.LabeledEdit1->text(), "1-");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(boxes[0].caption, "確認");
    EXPECT_EQ(boxes[0].text, "この文字は変更できません。\n");
    QTest::keyClicks(form.LabeledEdit1, "34");
    EXPECT_EQ(form.LabeledEdit1->text(), "1-3");
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Backspace);
    EXPECT_EQ(form.LabeledEdit1->text(), "1-");
    // What an input method commits bypasses the keys.
    form.LabeledEdit1->clear();
    form.LabeledEdit1->insert("a5");
    EXPECT_EQ(form.LabeledEdit1->text(), "5");
}

TEST_F(AutonoTest, EnterMovesToOnAndASecondEnterConfirms) {
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Return); // empty: stays
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.LabeledEdit1->hasFocus());
    QTest::keyClicks(form.LabeledEdit1, "2");
    QTest::keyClick(form.LabeledEdit1, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Button1->hasFocus());
    QTest::keyClick(form.Button1, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.SelectionText(), "2");
}

TEST_F(AutonoTest, CancelAndTheNextShowingStartEmpty) {
    QTest::keyClicks(form.LabeledEdit1, "5");
    form.Button1->click();
    EXPECT_EQ(form.SelectionText(), "5");
    form.show();
    EXPECT_TRUE(form.LabeledEdit1->text().isEmpty());
    QTest::keyClicks(form.LabeledEdit1, "4");
    form.Button2->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.SelectionText(), "5"); // kept from the last confirmation
}

TEST_F(AutonoTest, CentredOnTheMainWindow) {
    EXPECT_EQ(form.x(), 100 + 801 / 2 - form.width() / 2);
    EXPECT_EQ(form.y(), 200 + 601 / 2 - form.height() / 2);
    EXPECT_EQ(form.windowTitle(), "自動切替");
}

} // namespace
