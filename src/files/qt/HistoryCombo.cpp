#include "files/qt/HistoryCombo.h"

#include <QComboBox>
#include <QKeyEvent>

void MakeHistoryCombo(QComboBox* combo) {
    combo->setEditable(true);
    combo->setCompleter(nullptr); // its own completion fights the change handler
    combo->setInsertPolicy(QComboBox::NoInsert);
}

std::vector<std::string> HistoryItems(const QComboBox* combo) {
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.push_back(combo->itemText(i).toStdString()); // history text is UTF-8
    return entries;
}

void SetHistoryItems(QComboBox* combo, const std::vector<std::string>& entries) {
    QString text = combo->currentText();
    combo->blockSignals(true);
    combo->clear();
    for (const std::string& entry : entries)
        combo->addItem(QString::fromStdString(entry));
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    combo->blockSignals(false);
}

QChar TypedCharacter(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QChar('\r');
    return event->text().isEmpty() ? QChar(0) : event->text().at(0);
}

bool DropRefusedCharacters(QComboBox* combo, const QString& refused) {
    QString text = combo->currentText();
    QString kept;
    for (QChar c : text) {
        if (!refused.contains(c))
            kept += c;
    }
    if (kept == text)
        return false;
    combo->setEditText(kept);
    return true;
}
