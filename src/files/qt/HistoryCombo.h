// The editable history field of the dialogs that keep a history list (Path.lst,
// NAME.lst, FIND.LST): no completer of its own (it fights the change handler),
// refused characters dropped whether typed or committed by an input method, and
// Enter reported to the dialog instead of reaching a default button. Entries are
// kept as bytes and shown decoded; a refused character brings the "確認" box.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QComboBox;

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
    // Drops the refused characters that came without a key press (an input
    // method's commit, a paste), with the box.
    void CheckTypedText();

    QComboBox* combo_;
    QString refused_;
    QString refusedText_;
    std::function<void()> enter_;
};
