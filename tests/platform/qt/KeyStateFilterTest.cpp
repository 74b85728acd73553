#include "platform/qt/KeyStateFilter.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class KeyStateFilterTest : public ::testing::Test {
protected:
    KeyStateFilterTest() { filter.Install(); }

    KeyStateFilter filter;
    QLineEdit edit; // any widget with the focus: the filter watches the whole application
};

TEST_F(KeyStateFilterTest, HeldWhileDownPressedUntilAsked) {
    EXPECT_FALSE(filter.Held());
    EXPECT_FALSE(filter.Pressed());
    QTest::keyPress(&edit, Qt::Key_F3);
    EXPECT_TRUE(filter.Held());
    EXPECT_TRUE(filter.Pressed());
    QTest::keyRelease(&edit, Qt::Key_F3);
    EXPECT_FALSE(filter.Held());
    EXPECT_FALSE(filter.Pressed()); // the press was already reported

    QTest::keyClick(&edit, Qt::Key_Escape); // down and up between two queries
    EXPECT_FALSE(filter.Held());
    EXPECT_TRUE(filter.Pressed());
    EXPECT_FALSE(filter.Pressed());

    QTest::keyClick(&edit, Qt::Key_F2);
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_FALSE(filter.Pressed());
}

TEST_F(KeyStateFilterTest, AutoRepeatKeepsTheKeyHeld) {
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
    QTest::keyPress(&edit, Qt::Key_Escape);
    QApplication::sendEvent(&edit, &release);
    EXPECT_TRUE(filter.Held());
}

TEST_F(KeyStateFilterTest, ReleaseAndDeactivationForgetTheKeys) {
    QTest::keyPress(&edit, Qt::Key_F3);
    filter.Release();
    EXPECT_FALSE(filter.Held());
    EXPECT_FALSE(filter.Pressed());

    QTest::keyPress(&edit, Qt::Key_Escape);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(filter.Held());
    EXPECT_FALSE(filter.Pressed());
}

} // namespace
