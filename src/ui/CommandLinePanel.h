// The command line: the message line Label11 and the entry Edit1 beside it, with
// the mode that says what Enter in the entry does. Which characters a mode takes
// and what Enter does belong to the window; the panel reports the entry's keys.
#pragma once

#include "files/CommandLine.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;

class TCommandLinePanel : public QObject {
public:
    explicit TCommandLinePanel(QWidget* window);

    // The message line.
    void ShowMessage(const QString& text, const QColor& colour);
    QColor MessageColour() const;
    // Drawn at once: a long job that follows paints nothing until it pauses.
    void RepaintMessage();

    // A command asks for its text: the entry takes typing in mode and the focus.
    void Prompt(Edit1Mode mode);
    Edit1Mode Mode() const { return mode_; }
    // Whether the entry takes typing at all; the mode stays.
    void Enable(bool enabled);
    bool IsEnabled() const;
    void Focus();

    QString Text() const;
    void SetText(const QString& text);
    void Clear();
    // A path shown as text, and back as the bytes it came from when left unchanged.
    void ShowPath(const std::string& path);
    std::string Path() const;

    // A key pressed in the entry; true when it was taken and must go no further.
    std::function<bool(QKeyEvent* event)> onKey;
    // Text that reached the entry without a key press (an input method, a paste).
    std::function<void()> onTextEdited;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* Label11 = nullptr;
    QLineEdit* Edit1 = nullptr;
    Edit1Mode mode_ = Edit1Mode::None;
};
