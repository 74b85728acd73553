// The communication settings panel: the thirteen fields inside the main window's
// GroupBox1, driven from the keyboard (Enter, Up and Down in a fixed field order,
// F1 saves, F2 or Esc leaves, F10 ends the program). Beside each port box a label
// names the device that the COM name stands for on this machine. The rules of
// what is stored live in transfer/CommSettings.h. The controls are laid out by
// ui/CommSettingsLayout.cpp; the panel reaches the window through CommPanelHost.
#pragma once

#include "platform/SerialDevices.h"
#include "platform/qt/FieldRule.h"
#include "settings/Settings.h"
#include "transfer/CommSettings.h"

#include <QHash>
#include <QObject>
#include <QStyledItemDelegate>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

// The thirteen fields, their captions and the legend inside the window's GroupBox1.
struct CommPanelControls {
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
};

// What the panel asks of the main window.
class CommPanelHost {
public:
    virtual ~CommPanelHost() = default;
    // The window the refusal and the question are shown over.
    virtual QWidget* PanelWindow() = 0;
    virtual TSettings& PanelSettings() = 0;
    // The port probe: open exclusively and close.
    virtual bool PortUsable(int portNumber) = 0;
    virtual void PressKey(int key) = 0;
    virtual void RememberAnswer(int answer) = 0;
    // The panel shows over the list, which leaves the keyboard to it.
    virtual void CommPanelShown() = 0;
    virtual void CommPanelHidden() = 0;
    // Back to browsing after the settings were stored.
    virtual void CommSettingsStored() = 0;
    // Back to browsing after a leave without storing.
    virtual void CommSettingsLeft() = 0;
    virtual void CloseWindow() = 0;
};

// The dropped-down port list shows each name with what it stands for (a device
// or a device server); the item itself stays the name, which is what completion
// and storing work on.
class PortTargetDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // The text the list shows for the item.
    QString ShownText(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class TCommSettingsPanel : public QObject, public CommPanelControls {
    Q_OBJECT

public:
    // Takes over the laid-out controls: their rules, keys and lists.
    TCommSettingsPanel(CommPanelHost& host, const CommPanelControls& controls, QObject* parent);

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindControls();
    void BindCombo(QComboBox* box, const FieldRule& rule);
    void BindEdit(QLineEdit* edit, const FieldRule& rule);

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
    std::string DeviceText(const std::string& portName) const;
    void ClearFields();
    void ClosePanel();

    CommPanelHost& host_;
    std::vector<QWidget*> order_; // Enter and Down go forward, Up back
    QHash<const QObject*, FieldRule> rules_;
    std::vector<std::string> speedItems_;
    std::vector<SerialDevice> devices_;
    bool completionOff_ = false;
};
