#include "ui/SaveQuestionLabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The legend as three rows; together they are the one text of the legend.
constexpr const char* kQuestionRows[] = {
    "受信ファイル名を付けて保存(Y)",
    "Ｏ（Ｌ）番号毎に保存　　　(N)",
    "　　　　　　　　　　　Esc:中止",
};

} // namespace

TSaveQuestionLabel::TSaveQuestionLabel(QWidget* parent) : QLabel(parent) {
    QString text;
    for (const char* row : kQuestionRows)
        text += QString::fromUtf8(row);
    setText(text);
}

void TSaveQuestionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    int top = 0;
    for (const char* row : kQuestionRows) {
        painter.drawText(QRect(0, top, width(), kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(row));
        top += kRowHeight;
    }
}

void TSaveQuestionLabel::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown)
        onMouseDown(event->position().toPoint().y());
}
