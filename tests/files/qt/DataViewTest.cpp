#include "files/qt/DataView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i) + ".\r\n";
    return text;
}

TEST(DataView, SelectLineScrollsItToTheSecondRow) {
    DataView view;
    view.resize(300, 200);
    view.SetText(NumberedLines(1000));
    ASSERT_EQ(view.LineCount(), 1000u);
    EXPECT_EQ(view.LineText(999), "N999G01X999.");

    view.SelectLine(500);
    EXPECT_EQ(view.SelectedLine(), 500);
    EXPECT_EQ(view.FirstVisibleLine(), 499u);

    view.SelectLine(0);
    EXPECT_EQ(view.FirstVisibleLine(), 0u);

    // The last line cannot go higher than the scroll range allows.
    view.SelectLine(999);
    EXPECT_EQ(view.FirstVisibleLine(), static_cast<size_t>(1000 - view.VisibleRows()));
    EXPECT_EQ(view.SelectedLine(), 999);
}

TEST(DataView, ScrollRangesFollowTheText) {
    DataView view;
    view.resize(300, 200);
    view.SetText(NumberedLines(10) + std::string(500, 'X') + "\n");
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    view.Clear();
    EXPECT_EQ(view.LineCount(), 0u);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.SelectedLine(), -1);

    for (int i = 0; i < 100; ++i)
        view.AppendLine("G0" + std::to_string(i));
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 100 - view.VisibleRows());
    view.ReplaceLastChar(99, 'Z');
    EXPECT_EQ(view.LineText(99), "G09Z");
}

TEST(DataView, KeyHandlerSeesKeysFirst) {
    DataView view;
    view.SetText(NumberedLines(50));
    int seen = 0;
    view.SetKeyDownHandler([&](QKeyEvent* event) {
        ++seen;
        return event->key() == Qt::Key_Escape;
    });
    QTest::keyClick(&view, Qt::Key_Escape);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(view.CaretLine(), 1u); // Down was not consumed: the view moved
}

TEST(DataView, ReadOnlyIgnoresTypingWritableEditsTheBytes) {
    DataView view;
    view.SetText("G01\n\x82\xa0\n"); // the second line is CP932
    QTest::keyClicks(&view, "X");
    EXPECT_EQ(view.LineText(0), "G01");

    view.SetReadOnly(false);
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClicks(&view, "X1.");
    EXPECT_EQ(view.LineText(0), "G01X1.");
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(view.LineText(0), "G01X1");
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.LineText(0), "G01X");
    EXPECT_EQ(view.LineText(1), "1");

    // Typed kana goes into a CP932 line as CP932.
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_End);
    QKeyEvent kana(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("ｱ"));
    QApplication::sendEvent(&view, &kana);
    EXPECT_EQ(view.LineText(2), "\x82\xa0\xb1");
    // Backspace removes the one-byte kana, then the two-byte character whole.
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(view.LineText(2), "");
}

TEST(DataView, PaintsALongLineAndMixedEncodings) {
    DataView view;
    view.resize(200, 100);
    std::string longLine(100000, 'X');
    view.SetText("\xe3\x81\x82\n\x82\xa0\n" + longLine + "\n");
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QImage image(view.size(), QImage::Format_ARGB32);
    view.render(&image); // paints only what is visible; must not stall or crash
    EXPECT_EQ(view.LineCount(), 3u);
}

} // namespace
