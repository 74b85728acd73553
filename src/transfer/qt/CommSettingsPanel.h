// The communication settings panel: the thirteen fields inside the main window's
// GroupBox1, driven from the keyboard (Enter, Up and Down in a fixed field order,
// F1 saves, F2 or Esc leaves, F10 ends the program). Beside each port box a label
// names the device that the COM name stands for on this machine. The rules of
// what is stored live in transfer/CommSettings.h.
#pragma once

#include "platform/SerialDevices.h"
#include "platform/qt/FieldRule.h"
#include "transfer/CommSettings.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWidget;
class TForm1;

class TCommSettingsPanel : public QObject {
    Q_OBJECT

public:
    // Builds the controls inside form->GroupBox1.
    explicit TCommSettingsPanel(TForm1* form);

    // F7: shows the panel filled from the settings, with the usable ports listed.
    void Open();
    // F1: stores the panel into the settings and closes it; a refused speed keeps it open.
    void SaveCommSettings();
    // F2 or Esc: closes the panel, asking first when something was changed.
    void LeaveCommSettings();
    // The legend: x 200 to 280 presses F1, 320 to 397 presses F2.
    void Label14MouseDown(int x);

    CommPanelTexts Texts() const;

    // The device path a COM name stands for, "" when none; by default section Ports
    // and the serial devices present when the panel was opened. Tests replace it.
    std::function<std::string(const std::string& portName)> DeviceOf;

    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label26 = nullptr;
    // The devices behind ComboBox2 and ComboBox4.
    QLabel* Label13Device = nullptr;
    QLabel* Label26Device = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QComboBox* MakeCombo(const QRect& rect, const FieldRule& rule);
    QLineEdit* MakeEdit(const QRect& rect, const FieldRule& rule, int maxLength);
    QLineEdit* MakeFlagRow(int top, const QString& caption);
    QLabel* MakeLabel(const QRect& rect, const QString& text = {});

    bool Edit4KeyDown(QLineEdit* edit, QKeyEvent* event);
    bool Edit4KeyPress(QLineEdit* edit, QKeyEvent* event);
    bool ComboBox1KeyDown(QComboBox* box, QKeyEvent* event);
    bool ComboBox1KeyPress(QComboBox* box, QKeyEvent* event);
    void ComboBox1Change(QComboBox* box);
    bool FieldKeyPress(QWidget* field, QKeyEvent* event);
    // F1, F2, Esc and F10: true when the key was one of them.
    bool PanelKey(int key);

    void FocusField(QWidget* field);
    void MoveFocus(QWidget* from, int step);
    void StepThroughItems(QComboBox* box, int step);
    void ShowDevice(QComboBox* box, QLabel* label);
    void ClearFields();
    void ClosePanel();

    TForm1* form_;
    std::vector<QWidget*> order_; // Enter and Down go forward, Up back
    QHash<const QObject*, FieldRule> rules_;
    std::vector<std::string> speedItems_;
    std::vector<SerialDevice> devices_;
    bool completionOff_ = false;
};
