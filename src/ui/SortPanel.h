// The sort panel GroupBox3: the current sort (Label21), the entry of the new one
// (Edit7, "N-D" and so on) and the Esc legend (Label22). What the entry accepts and
// what a choice does belong to the window; the panel only reports its events.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

class TSortPanel : public QObject {
public:
    explicit TSortPanel(QWidget* window);

    // Shown in front with the entry holding entryText and the focus.
    void Open(const QString& currentSort, const QString& entryText);
    void Close();
    bool IsOpen() const;

    QString EntryText() const;
    void SetEntryText(const QString& text);
    void ClearEntry();
    void FocusEntry();
    // Typed at the entry's cursor, as a key would be.
    void InsertInEntry(QChar ch);

    // A key pressed in the entry; true when it was taken and must go no further.
    std::function<bool(QKeyEvent* event)> onEntryKey;
    // Text that reached the entry without a key press (an input method).
    std::function<void(const QString& text)> onEntryEdited;
    std::function<void()> onLegendClick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label21 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLabel* Label22 = nullptr;
};
