#include "files/qt/DragCursors.h"

#include <QPainter>
#include <QPolygon>

namespace {

constexpr int kSize = 32;

// The arrow of the pointer, its tip at the top left corner (the hot spot of a drag
// cursor is its top left).
void DrawArrow(QPainter& painter) {
    const QPolygon arrow({{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);
}

// A sheet of paper with a folded corner and two text lines, top left at (x, y).
void DrawSheet(QPainter& painter, int x, int y) {
    const QPolygon sheet({{x, y}, {x + 8, y}, {x + 11, y + 3}, {x + 11, y + 13}, {x, y + 13}});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(sheet);
    painter.drawLine(x + 2, y + 6, x + 8, y + 6);
    painter.drawLine(x + 2, y + 9, x + 8, y + 9);
}

QPixmap Cursor(int sheets) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    DrawArrow(painter);
    for (int i = sheets - 1; i >= 0; --i)
        DrawSheet(painter, 14 + 3 * i, 14 + 3 * i - 2 * (sheets - 1));
    return pixmap;
}

} // namespace

QPixmap DragMoveCursor() {
    return Cursor(1);
}

QPixmap MultiDragCursor() {
    return Cursor(3);
}
