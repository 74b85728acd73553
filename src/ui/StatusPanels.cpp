#include "ui/StatusPanels.h"

#include <QPainter>

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {}

void TStatusPanels::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= static_cast<int>(texts_.size()) || texts_[index] == text)
        return;
    texts_[index] = text;
    update(PanelRect(index));
}

QString TStatusPanels::PanelText(int index) const {
    return index >= 0 && index < static_cast<int>(texts_.size()) ? texts_[index] : QString();
}

QRect TStatusPanels::PanelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += kWidths[i];
    int width =
        index == static_cast<int>(kWidths.size()) - 1 ? this->width() - left : kWidths[index];
    return QRect(left, 0, width, height());
}

void TStatusPanels::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    for (int i = 0; i < static_cast<int>(texts_.size()); ++i) {
        QRect r = PanelRect(i).adjusted(1, 2, -2, -1);
        // The first two panels have no bevel; the last four are centred.
        if (i >= 2) {
            p.setPen(palette().mid().color());
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(palette().light().color());
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
        p.setPen(palette().windowText().color());
        int align = (i >= 3 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
        p.drawText(r.adjusted(3, 0, -2, 0), align, texts_[i]);
    }
}
