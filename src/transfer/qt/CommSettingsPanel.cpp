#include "transfer/qt/CommSettingsPanel.h"

#include "platform/qt/QtText.h"

#include "platform/NetworkTarget.h"
#include "platform/SerialDevices.h"
#include "platform/TextCodec.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/qt/MessageBox.h"
#include "transfer/SpeedString.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {

const FieldRule kSpeedRule{QStringLiteral("0123456789,NEOneo"), false};
const FieldRule kPortRule{QStringLiteral("0123456789COMcom"), false};
const FieldRule kFlagRule{QStringLiteral("YNyn"), true};
const FieldRule kFeedRule{QStringLiteral("0123456789"), false};

QLineEdit* LineEditOf(QWidget* field) {
    if (auto* box = qobject_cast<QComboBox*>(field))
        return box->lineEdit();
    return qobject_cast<QLineEdit*>(field);
}

} // namespace

void PortTargetDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString target = index.data(Qt::UserRole).toString();
    if (!target.isEmpty())
        option->text += QStringLiteral("  ") + target;
}

QString PortTargetDelegate::ShownText(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initStyleOption(&option, index);
    return option.text;
}

TCommSettingsPanel::TCommSettingsPanel(CommPanelHost& host, const CommPanelControls& controls,
                                       QObject* parent)
    : QObject(parent), CommPanelControls(controls), host_(host) {
    speedItems_ = OfferedSpeedStrings();
    BindControls();
}

void TCommSettingsPanel::BindCombo(QComboBox* box, const FieldRule& rule) {
    box->installEventFilter(this);
    rules_.insert(box, rule);
    // The rule is checked first: completion then works on the checked text.
    GuardEditedText(box->lineEdit(), rule);
    connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, box] { ComboBox1Change(box); });
}

void TCommSettingsPanel::BindEdit(QLineEdit* edit, const FieldRule& rule) {
    edit->installEventFilter(this);
    rules_.insert(edit, rule);
    GuardEditedText(edit, rule);
}

void TCommSettingsPanel::BindControls() {
    BindCombo(ComboBox1, kSpeedRule);
    BindCombo(ComboBox2, kPortRule);
    BindCombo(ComboBox3, kSpeedRule);
    BindCombo(ComboBox4, kPortRule);
    for (QLineEdit* edit : {Edit4, Edit6, Edit5, Edit8, Edit9, Edit14, Edit15})
        BindEdit(edit, kFlagRule);
    for (QLineEdit* edit : {Edit10, Edit11})
        BindEdit(edit, kFeedRule);
    Label14->installEventFilter(this);

    for (QComboBox* box : {ComboBox1, ComboBox3}) {
        for (const std::string& item : speedItems_)
            box->addItem(FromUtf8(item));
    }
    for (QComboBox* box : {ComboBox2, ComboBox4})
        box->setItemDelegate(new PortTargetDelegate(box));
    connect(ComboBox2, &QComboBox::editTextChanged, this,
            [this] { ShowDevice(ComboBox2, Label13Device); });
    connect(ComboBox4, &QComboBox::editTextChanged, this,
            [this] { ShowDevice(ComboBox4, Label26Device); });

    order_ = {ComboBox1, ComboBox2, Edit4,     Edit6,     Edit5,  Edit8, Edit9,
              Edit10,    Edit11,    ComboBox3, ComboBox4, Edit14, Edit15};
    // Edit11 came last to the panel: its Tag is 13 although it follows Edit10.
    const int tags[] = {1, 2, 3, 4, 5, 6, 7, 8, 13, 9, 10, 11, 12};
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i]->setProperty("Tag", tags[i]);
}

void TCommSettingsPanel::Open() {
    const TSettings& s = host_.PanelSettings();
    host_.CommPanelShown();
    devices_ = PresentSerialDevices();
    Label12->setText(QStringLiteral("送信条件(") + FromUtf8(s.Speed1) + QStringLiteral(")"));
    Label13->setText(QStringLiteral("送信ポート(") + FromUtf8(s.Port1) + QStringLiteral(")"));
    ComboBox1->setEditText(FromUtf8(s.Speed1));
    ComboBox2->clear();
    ComboBox4->clear();
    for (int n = 1; n <= 30; ++n) {
        if (host_.PortUsable(n)) {
            const std::string name = "COM" + std::to_string(n);
            ComboBox2->addItem(FromUtf8(name), FromUtf8(DeviceText(name)));
        }
    }
    for (int i = 0; i < ComboBox2->count(); ++i)
        ComboBox4->addItem(ComboBox2->itemText(i), ComboBox2->itemData(i));
    ComboBox2->setEditText(FromUtf8(s.Port1));
    Edit4->setText(FromUtf8(s.Signal1));
    Edit6->setText(FromUtf8(s.StartChar));
    Edit5->setText(FromUtf8(s.EndChar));
    Edit8->setText(FromUtf8(s.Code));
    Edit9->setText(FromUtf8(s.Puncher));
    Edit10->setText(FromUtf8(s.Feed));
    Edit11->setText(FromUtf8(s.Feed1));
    Label24->setText(QStringLiteral("受信条件(") + FromUtf8(s.Speed2) + QStringLiteral(")"));
    Label26->setText(QStringLiteral("受信ポート(") + FromUtf8(s.Port2) + QStringLiteral(")"));
    ComboBox3->setEditText(FromUtf8(s.Speed2));
    ComboBox4->setEditText(FromUtf8(s.Port2));
    Edit14->setText(FromUtf8(s.Signal2));
    Edit15->setText(FromUtf8(s.Reader));
    FocusField(ComboBox1);
}

CommPanelTexts TCommSettingsPanel::Texts() const {
    return {ToUtf8(ComboBox1->currentText()),
            ToUtf8(ComboBox2->currentText()),
            ToUtf8(Edit4->text()),
            ToUtf8(Edit6->text()),
            ToUtf8(Edit5->text()),
            ToUtf8(Edit8->text()),
            ToUtf8(Edit9->text()),
            ToUtf8(Edit10->text()),
            ToUtf8(Edit11->text()),
            ToUtf8(ComboBox3->currentText()),
            ToUtf8(ComboBox4->currentText()),
            ToUtf8(Edit14->text()),
            ToUtf8(Edit15->text())};
}

void TCommSettingsPanel::SaveCommSettings() {
    const CommRefusal refusal = StoreCommTexts(Texts(), host_.PanelSettings());
    if (refusal != CommRefusal::None) {
        ShowBoxAtCorner(host_.PanelWindow(), {BoxIcon::Stop,
                                              BoxButtons::Yes,
                                              QStringLiteral("エラー"),
                                              QStringLiteral("入力データを確認してください。"),
                                              {}});
        FocusField(refusal == CommRefusal::Speed1 ? ComboBox1 : ComboBox3);
        return;
    }
    ClosePanel();
    host_.CommSettingsStored();
}

void TCommSettingsPanel::LeaveCommSettings() {
    if (CommTextsDiffer(Texts(), host_.PanelSettings())) {
        const int answer =
            AskYesNo(host_.PanelWindow(), QStringLiteral("通信設定"),
                     QStringLiteral("通信設定が変更されています。\n保存せずに終了しますか？"));
        host_.RememberAnswer(answer);
        if (answer != kAnswerYes) {
            SaveCommSettings();
            return;
        }
    }
    ClosePanel();
    host_.CommSettingsLeft();
}

void TCommSettingsPanel::ClosePanel() {
    ClearFields();
    host_.CommPanelHidden();
}

void TCommSettingsPanel::ClearFields() {
    for (QWidget* field : order_)
        LineEditOf(field)->clear();
}

void TCommSettingsPanel::Label14MouseDown(int x) {
    if (x >= 200 && x <= 280)
        host_.PressKey(vk::F(1));
    else if (x >= 320 && x <= 397)
        host_.PressKey(vk::F(2));
}

bool TCommSettingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label14 && event->type() == QEvent::MouseButtonPress) {
        Label14MouseDown(static_cast<QMouseEvent*>(event)->position().toPoint().x());
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (auto* box = qobject_cast<QComboBox*>(watched))
        return ComboBox1KeyDown(box, key) || ComboBox1KeyPress(box, key);
    if (auto* edit = qobject_cast<QLineEdit*>(watched))
        return Edit4KeyDown(edit, key) || Edit4KeyPress(edit, key);
    return false;
}

bool TCommSettingsPanel::PanelKey(int key) {
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_F2:
        LeaveCommSettings();
        return true;
    case Qt::Key_F1:
        SaveCommSettings();
        return true;
    case Qt::Key_F10:
        host_.CloseWindow();
        return true;
    default:
        return false;
    }
}

bool TCommSettingsPanel::Edit4KeyDown(QLineEdit* edit, QKeyEvent* event) {
    if (PanelKey(event->key()))
        return true;
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        MoveFocus(edit, event->key() == Qt::Key_Down ? 1 : -1);
        return true;
    }
    return false;
}

bool TCommSettingsPanel::Edit4KeyPress(QLineEdit* edit, QKeyEvent* event) {
    return FieldKeyPress(edit, event);
}

// Enter on a filled field turns it to capitals and moves on; other characters
// pass the field's rule.
bool TCommSettingsPanel::FieldKeyPress(QWidget* field, QKeyEvent* event) {
    QLineEdit* edit = LineEditOf(field);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!edit->text().isEmpty()) {
            edit->setText(FromUtf8(AsciiUpper(ToUtf8(edit->text()))));
            MoveFocus(field, 1);
        }
        return true;
    }
    return FilterTypedCharacter(edit, event, rules_.value(field));
}

// The list is not dropped down while typing: a popup takes the keyboard focus here,
// so Up and Down step through the items in the closed box instead.
bool TCommSettingsPanel::ComboBox1KeyDown(QComboBox* box, QKeyEvent* event) {
    if (PanelKey(event->key()))
        return true;
    completionOff_ = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        StepThroughItems(box, event->key() == Qt::Key_Down ? 1 : -1);
        return true;
    }
    return false;
}

bool TCommSettingsPanel::ComboBox1KeyPress(QComboBox* box, QKeyEvent* event) {
    return FieldKeyPress(box, event);
}

void TCommSettingsPanel::ComboBox1Change(QComboBox* box) {
    QLineEdit* edit = box->lineEdit();
    if (completionOff_)
        return;
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i)
        items.push_back(ToUtf8(box->itemText(i)));
    const std::string text = ToUtf8(edit->text());
    const Completion done = CompleteFromItems(items, text, edit->cursorPosition());
    if (done.text != text)
        edit->setText(FromUtf8(done.text));
    if (done.selectionLength > 0)
        edit->setSelection(done.selectionStart, done.selectionLength);
    else
        edit->setCursorPosition(done.selectionStart);
}

void TCommSettingsPanel::StepThroughItems(QComboBox* box, int step) {
    if (box->count() == 0)
        return;
    const int at = box->findText(box->currentText(), Qt::MatchExactly);
    const int next = at < 0 ? 0 : std::clamp(at + step, 0, box->count() - 1);
    box->setCurrentIndex(next);
    box->setEditText(box->itemText(next));
    box->lineEdit()->selectAll();
}

void TCommSettingsPanel::MoveFocus(QWidget* from, int step) {
    const auto it = std::find(order_.begin(), order_.end(), from);
    if (it == order_.end())
        return;
    const int count = static_cast<int>(order_.size());
    const int at = static_cast<int>(it - order_.begin());
    FocusField(order_[(at + step + count) % count]);
}

// Entering a field selects its text, so that a one-letter field is overtyped.
void TCommSettingsPanel::FocusField(QWidget* field) {
    field->setFocus(Qt::TabFocusReason);
    LineEditOf(field)->selectAll();
}

void TCommSettingsPanel::ShowDevice(QComboBox* box, QLabel* label) {
    const QString text = box->currentText();
    if (text.isEmpty()) {
        label->clear();
        return;
    }
    const std::string device = DeviceText(PortNameFromText(ToUtf8(text)));
    if (device.empty()) {
        label->setText(QStringLiteral("→ ﾃﾞﾊﾞｲｽ未割当"));
        return;
    }
    // Raw TCP carries no modem lines: the lamps and the DSR rule see them on.
    const std::optional<NetworkTarget> target = ParseNetworkTarget(device);
    const bool raw = target && target->kind == NetworkKind::RawTcp;
    label->setText(QStringLiteral("→ ") + FromUtf8(device) +
                   (raw ? QStringLiteral(" (信号線なし: DSR/CTS は常にオン)") : QString()));
}

std::string TCommSettingsPanel::DeviceText(const std::string& portName) const {
    return DeviceOf ? DeviceOf(portName)
                    : PortDevicePath(portName, host_.PanelSettings().Ports, devices_);
}
