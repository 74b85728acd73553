#pragma once

#include <QLabel>

#include <functional>

// Label38: the three answers of the save question, one row of 18 pixels each,
// so that a click chooses by its height as the keys do.
class TSaveQuestionLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 18;

    explicit TSaveQuestionLabel(QWidget* parent = nullptr);
    std::function<void(int y)> onMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
