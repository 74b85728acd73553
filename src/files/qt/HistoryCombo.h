// The editable history field of the dialogs that keep a history list (Path.lst,
// NAME.lst, FIND.LST): no completer of its own (it fights the change handler),
// refused characters dropped whether typed or committed by an input method, and
// Enter reported to the dialog instead of reaching a default button. The free
// functions are the pieces; HistoryCombo puts them together with entries as bytes
// and the "確認" box.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
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

class HistoryCombo : public QObject {
public:
    HistoryCombo(QComboBox* combo, QString refused, QString refusedText,
                 std::function<void()> enter);

    // The list entries (bytes), and a new list keeping the text.
    std::vector<std::string> Entries() const;
    void SetEntries(const std::vector<std::string>& entries);
    std::string Text() const;
    void SetText(const std::string& text);

    // The key-press rule: Enter (ch '\r') with a text calls enter; a refused
    // character is dropped (ch set to 0) with the box.
    void KeyPress(QChar& ch);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CheckTypedText();

    QComboBox* combo_;
    QString refused_;
    QString refusedText_;
    std::function<void()> enter_;
};
