#include "platform/qt/FieldRule.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

QChar AsciiUpper(QChar ch) {
    return ch >= u'a' && ch <= u'z' ? QChar(ch.unicode() - 32) : ch;
}

} // namespace

bool FieldRule::Allows(QChar ch) const {
    return allowed.isEmpty() || ch == u'\b' || allowed.contains(ch);
}

QString FieldRule::Apply(const QString& text) const {
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        if (Allows(ch))
            result.append(upper ? AsciiUpper(ch) : ch);
    }
    return result;
}

bool FilterTypedCharacter(QLineEdit* edit, const QKeyEvent* event, const FieldRule& rule) {
    const QString text = event->text();
    if (text.size() != 1)
        return false;
    const QChar ch = text.front();
    // Control characters (Backspace, Esc, Tab, Ctrl+V) keep their meaning; what a
    // paste brings in is checked by GuardEditedText.
    if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
        return false;
    if (!rule.Allows(ch))
        return true;
    if (rule.upper && AsciiUpper(ch) != ch) {
        if (!edit->isReadOnly())
            edit->insert(QString(AsciiUpper(ch)));
        return true;
    }
    return false;
}

QChar TypedCharacter(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QChar('\r');
    return event->text().isEmpty() ? QChar(0) : event->text().at(0);
}

void GuardEditedText(QLineEdit* edit, const FieldRule& rule) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, rule](const QString& text) {
        const QString checked = rule.Apply(text);
        if (checked == text)
            return;
        const int cursor = edit->cursorPosition() - (text.size() - checked.size());
        edit->setText(checked);
        edit->setCursorPosition(std::max(0, cursor));
    });
}
