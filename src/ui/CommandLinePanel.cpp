#include "ui/CommandLinePanel.h"

#include "platform/qt/QtText.h"
#include "ui/Fonts.h"
#include "ui/LayoutParts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TCommandLinePanel::TCommandLinePanel(QWidget* window) : QObject(window) {
    Label11 = MakeLabel(window, {0, 407, 305, 22}, QColor(0x00, 0xFF, 0x00));
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Edit1 = new QLineEdit(window);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(304, 407, 425, 22);
    Edit1->setFont(GothicFont());
    Colour(Edit1, Qt::white, Qt::black);
    Edit1->setEnabled(false);
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textEdited, this, [this] {
        if (onTextEdited)
            onTextEdited();
    });
}

bool TCommandLinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress && onKey)
        return onKey(static_cast<QKeyEvent*>(event));
    return false;
}

void TCommandLinePanel::ShowMessage(const QString& text, const QColor& colour) {
    QPalette p = Label11->palette();
    p.setColor(QPalette::WindowText, colour);
    Label11->setPalette(p);
    Label11->setText(text);
}

QColor TCommandLinePanel::MessageColour() const {
    return Label11->palette().color(QPalette::WindowText);
}

void TCommandLinePanel::RepaintMessage() {
    Label11->repaint();
}

void TCommandLinePanel::Prompt(Edit1Mode mode) {
    mode_ = mode;
    Edit1->setEnabled(true);
    Edit1->setFocus();
}

void TCommandLinePanel::Enable(bool enabled) {
    Edit1->setEnabled(enabled);
}

bool TCommandLinePanel::IsEnabled() const {
    return Edit1->isEnabled();
}

void TCommandLinePanel::Focus() {
    Edit1->setFocus();
}

QString TCommandLinePanel::Text() const {
    return Edit1->text();
}

void TCommandLinePanel::SetText(const QString& text) {
    Edit1->setText(text);
}

void TCommandLinePanel::Clear() {
    Edit1->clear();
}

void TCommandLinePanel::ShowPath(const std::string& path) {
    ShowPathInField(Edit1, path);
}

std::string TCommandLinePanel::Path() const {
    return PathInField(Edit1);
}
