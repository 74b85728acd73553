// Types text into a widget key by key. QTest's own key clicks take ASCII only; a
// full-width letter or a kana arrives here as the key press an input method gives.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, ch.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}
