// The save question GroupBox4 of a receive: its three answers drawn by Label38
// (clicked by row) and the answer field Edit16, which takes single keys. The window
// decides what an answer does; the panel reports the keys and the clicks.
#pragma once

#include <QObject>

#include <functional>

class QGroupBox;
class QLineEdit;
class QWidget;
class TSaveQuestionLabel;

class TSaveQuestion : public QObject {
public:
    explicit TSaveQuestion(QWidget* window);

    // Shown in front, the answer field empty and holding the focus.
    void Ask();
    void Close();
    bool IsOpen() const { return open_; }

    // Every key pressed in the answer field but Tab; none of them is typed.
    std::function<void(int key)> onAnswerKey;
    // A click on the legend at height y.
    std::function<void(int y)> onLegendClick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* GroupBox4 = nullptr;
    TSaveQuestionLabel* Label38 = nullptr;
    QLineEdit* Edit16 = nullptr;
    bool open_ = false;
};
