#include "ui/SortPanel.h"

#include "ui/Fonts.h"
#include "ui/LayoutParts.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TSortPanel::TSortPanel(QWidget* window) : QObject(window) {
    GroupBox3 = MakePanel(window, QStringLiteral("ソートタイプ"), {120, 248, 201, 170}, Qt::black);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    Label21 = new QLabel(GroupBox3);
    Label21->setObjectName(QStringLiteral("Label21"));
    Label21->setGeometry(10, 24, 181, 18);
    Edit7 = new QLineEdit(GroupBox3);
    Edit7->setObjectName(QStringLiteral("Edit7"));
    Edit7->setGeometry(10, 48, 60, 22);
    Edit7->setMaxLength(3);
    auto* help =
        new QLabel(QStringLiteral("N:名前 S:ｻｲｽﾞ T:日付\nD:昇順 U:降順\n例 N-D"), GroupBox3);
    help->setGeometry(10, 76, 181, 54);
    Label22 = new QLabel(QStringLiteral(" ESC:中止"), GroupBox3);
    Label22->setObjectName(QStringLiteral("Label22"));
    Label22->setGeometry(10, 140, 181, 18);
    Label22->setCursor(Qt::PointingHandCursor);
    for (QWidget* w : {static_cast<QWidget*>(Label21), static_cast<QWidget*>(Edit7),
                       static_cast<QWidget*>(help), static_cast<QWidget*>(Label22)})
        w->setFont(GothicFont());

    connect(Edit7, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onEntryEdited)
            onEntryEdited(text);
    });
    Label22->installEventFilter(this);
    Edit7->installEventFilter(this);
}

bool TSortPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label22 && event->type() == QEvent::MouseButtonPress) {
        if (onLegendClick)
            onLegendClick();
        return false;
    }
    if (watched == Edit7 && event->type() == QEvent::KeyPress && onEntryKey)
        return onEntryKey(static_cast<QKeyEvent*>(event));
    return false;
}

void TSortPanel::Open(const QString& currentSort, const QString& entryText) {
    Label21->setText(currentSort);
    Edit7->setText(entryText);
    GroupBox3->show();
    GroupBox3->raise();
    Edit7->setFocus();
}

void TSortPanel::Close() {
    GroupBox3->hide();
}

bool TSortPanel::IsOpen() const {
    return !GroupBox3->isHidden();
}

QString TSortPanel::EntryText() const {
    return Edit7->text();
}

void TSortPanel::SetEntryText(const QString& text) {
    Edit7->setText(text);
}

void TSortPanel::ClearEntry() {
    Edit7->clear();
}

void TSortPanel::FocusEntry() {
    Edit7->setFocus();
}

void TSortPanel::InsertInEntry(QChar ch) {
    Edit7->insert(QString(ch));
}
