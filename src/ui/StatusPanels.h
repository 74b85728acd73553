// StatusBar2: a status line of seven fixed-width text panels; the transfer Parts
// write their state into them by index, and a progress bar sits over panel 1.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class TStatusPanels : public QWidget {
    Q_OBJECT

public:
    static constexpr std::array<int, 7> kWidths = {250, 100, 90, 140, 70, 50, 50};

    explicit TStatusPanels(QWidget* parent = nullptr);
    void SetPanelText(int index, const QString& text);
    QString PanelText(int index) const;
    QRect PanelRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QString, 7> texts_;
};
