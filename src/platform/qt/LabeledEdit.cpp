#include "platform/qt/LabeledEdit.h"

#include <QLabel>
#include <QLineEdit>

QLineEdit* MakeLabeledEdit(QWidget* parent, const QString& caption, const QRect& editRect,
                           QLabel** label) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(editRect);
    auto* above = new QLabel(caption, parent);
    above->setGeometry(editRect.left(), editRect.top() - 18, editRect.width(), 16);
    above->setBuddy(edit);
    if (label)
        *label = above;
    return edit;
}
