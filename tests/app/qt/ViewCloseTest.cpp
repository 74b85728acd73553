// Closing the viewer and the log view as the operator does it: every key goes to
// whatever holds the focus, so the list must hold it the moment the view is gone.
#include "files/qt/FileListBox.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class ViewClose : public ::testing::Test, protected TestWindow {
protected:
    // A key as the keyboard delivers it: to the focused widget, not to a chosen one.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "no widget holds the focus";
        QTest::keyClick(focused, key, modifiers);
    }
};

} // namespace

TEST_F(ViewClose, TheListTakesKeysAsSoonAsTheViewIsClosed) {
    for (const char* name : {"O0001.NC", "O0002.NC", "O0003.NC"})
        home.Write(std::string("work/") + name, "%\r\nO0001\r\nM30\r\n%\r\n");
    form->ListDirectory(false, false, false);
    struct Case {
        const char* what;
        Qt::Key open;
        Qt::KeyboardModifiers modifiers;
        Qt::Key close;
        const char* caption;
    };
    const Case cases[] = {
        {"V, Esc", Qt::Key_V, Qt::NoModifier, Qt::Key_Escape, "ファイルビュー"},
        {"F8, F3", Qt::Key_F8, Qt::NoModifier, Qt::Key_F3, "ファイルビュー"},
        {"Shift+F8, Esc", Qt::Key_F8, Qt::ShiftModifier, Qt::Key_Escape, "送受信ログ"},
        {"Shift+F8, F3", Qt::Key_F8, Qt::ShiftModifier, Qt::Key_F3, "送受信ログ"},
    };
    auto* panel = Control<QGroupBox>(*form, "GroupBox2");
    auto* message = Control<QLabel>(*form, "Label11");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->ReturnToIdle();
        form->ListBox1->SetItemIndex(1);
        // Twice in a row: the second opening must behave as the first.
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            Press(c.open, c.modifiers);
            ASSERT_TRUE(panel->isVisible());
            EXPECT_EQ(panel->title(), c.caption);
            const int row = form->ListBox1->ItemIndex();
            Press(c.close);
            EXPECT_FALSE(panel->isVisible());
            EXPECT_EQ(message->text(), "操作中止!!");
            EXPECT_TRUE(form->Timer1->isActive());
            EXPECT_EQ(QApplication::focusWidget(), form->ListBox1);
            // At once, long before the return to idle: the list moves.
            Press(Qt::Key_Down);
            EXPECT_EQ(form->ListBox1->ItemIndex(), row + 1);
            // The key stopped the return to idle: it cannot close the next view.
            EXPECT_FALSE(form->Timer1->isActive());
            Press(Qt::Key_Up);
            EXPECT_EQ(form->ListBox1->ItemIndex(), row);
        }
    }
}
