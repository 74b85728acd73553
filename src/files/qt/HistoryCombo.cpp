#include "files/qt/HistoryCombo.h"

#include "platform/qt/FieldRule.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

HistoryCombo::HistoryCombo(QComboBox* combo, QString refused, QString refusedText,
                           std::function<void()> enter)
    : QObject(combo), combo_(combo), refused_(std::move(refused)),
      refusedText_(std::move(refusedText)), enter_(std::move(enter)) {
    combo_->setEditable(true);
    combo_->setCompleter(nullptr); // its own completion fights the change handler
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // An editable combo box keeps the focus itself and hands keys to its line edit
    // by a direct call that passes no filter: the keys of a real keyboard arrive at
    // the combo box, those sent to the line edit (tests, input methods) there.
    combo_->installEventFilter(this);
    combo_->lineEdit()->installEventFilter(this);
    connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] { CheckTypedText(); });
    // An entry chosen from the list goes back with its own bytes.
    connect(combo_, &QComboBox::activated, this, [this](int index) {
        ShowPathInField(combo_->lineEdit(), combo_->itemData(index).toByteArray().toStdString());
    });
}

std::vector<std::string> HistoryCombo::Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < combo_->count(); ++i)
        entries.push_back(combo_->itemData(i).toByteArray().toStdString());
    return entries;
}

void HistoryCombo::SetEntries(const std::vector<std::string>& entries) {
    const std::string text = Text();
    combo_->blockSignals(true);
    combo_->clear();
    for (const std::string& entry : entries)
        combo_->addItem(ShownText(entry), QByteArray::fromStdString(entry));
    combo_->setCurrentIndex(-1);
    ShowPathInField(combo_->lineEdit(), text);
    combo_->blockSignals(false);
}

std::string HistoryCombo::Text() const {
    return PathInField(combo_->lineEdit());
}

void HistoryCombo::SetText(const std::string& text) {
    ShowPathInField(combo_->lineEdit(), text);
}

void HistoryCombo::KeyPress(QChar& ch) {
    if (ch == QChar('\r')) {
        ch = QChar(0);
        if (!combo_->currentText().isEmpty() && enter_)
            enter_();
        return;
    }
    if (refused_.contains(ch)) {
        ch = QChar(0);
        ShowRefusal(combo_->window(), refusedText_);
    }
}

void HistoryCombo::CheckTypedText() {
    const QString text = combo_->currentText();
    QString kept;
    for (QChar c : text) {
        if (!refused_.contains(c))
            kept += c;
    }
    if (kept == text)
        return;
    combo_->setEditText(kept);
    ShowRefusal(combo_->window(), refusedText_);
}

bool HistoryCombo::eventFilter(QObject* watched, QEvent* event) {
    if ((watched != combo_ && watched != combo_->lineEdit()) || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QChar ch = TypedCharacter(key);
    if (ch.isNull() || ch == QChar('\b'))
        return false;
    KeyPress(ch);
    return ch.isNull();
}
