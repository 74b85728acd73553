#include "ui/SaveQuestion.h"

#include "ui/Fonts.h"
#include "ui/LayoutParts.h"
#include "ui/SaveQuestionLabel.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

TSaveQuestion::TSaveQuestion(QWidget* window) : QObject(window) {
    GroupBox4 = MakePanel(window, QStringLiteral("データ保存"), {328, 370, 250, 80},
                          QColor(0x00, 0x80, 0x00));
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    Label38 = new TSaveQuestionLabel(GroupBox4);
    Label38->setObjectName(QStringLiteral("Label38"));
    Label38->setGeometry(6, 16, 192, 3 * TSaveQuestionLabel::kRowHeight);
    Label38->setFont(GothicFont());
    Label38->onMouseDown = [this](int y) {
        if (onLegendClick)
            onLegendClick(y);
    };
    Edit16 = new QLineEdit(GroupBox4);
    Edit16->setObjectName(QStringLiteral("Edit16"));
    Edit16->setGeometry(206, 34, 30, 20);
    Edit16->setFont(GothicFont());
    Edit16->setMaxLength(1);
    Edit16->installEventFilter(this);
}

bool TSaveQuestion::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    if (onAnswerKey)
        onAnswerKey(key);
    return true;
}

void TSaveQuestion::Ask() {
    GroupBox4->show();
    GroupBox4->raise();
    open_ = true;
    Edit16->clear();
    Edit16->setFocus();
}

void TSaveQuestion::Close() {
    GroupBox4->hide();
    open_ = false;
}
