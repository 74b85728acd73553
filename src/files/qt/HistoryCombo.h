// The editable combo box of the history dialogs (find, copy/move destination): its
// item list read and written as history entries, the typed character of a key
// press, and the refused characters that arrive without a key press.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;

// Sets up an editable combo box whose text is checked by the dialog itself.
void MakeHistoryCombo(QComboBox* combo);
std::vector<std::string> HistoryItems(const QComboBox* combo);
// Replaces the item list; the entry's text stays and no change signal is sent.
void SetHistoryItems(QComboBox* combo, const std::vector<std::string>& entries);
// The character of a key press as a key-press handler sees it: "\r" for Enter and
// Return, 0 for a key without text.
QChar TypedCharacter(const QKeyEvent* event);
// Drops the refused characters from the text (an input method's commit, a paste);
// true when one was dropped.
bool DropRefusedCharacters(QComboBox* combo, const QString& refused);
