#include "app/qt/Option.h"

#include "app/qt/Mainunit1.h"
#include "platform/TextCodec.h"
#include "platform/qt/MessageBox.h"
#include "ui/OptionLayout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <vector>

namespace {

// "変更" takes the fields over in the order of their numbers, LabeledEdit1 to 24.
constexpr int kFieldCount = 24;

const OptionField& FieldNumbered(int number) {
    for (const OptionField& f : OptionFields()) {
        if (f.number == number)
            return f;
    }
    return OptionFields().front();
}

// The fields of one page in Tag order.
std::vector<int> PageFields(int page) {
    std::vector<int> numbers;
    for (int tag = 1; tag <= 8; ++tag) {
        for (const OptionField& f : OptionFields()) {
            if (f.page == page && f.tag == tag)
                numbers.push_back(f.number);
        }
    }
    return numbers;
}

} // namespace

TOptionForm::TOptionForm(TForm1* form) : QDialog(form), form_(form) {
    SetupUi(this);
    BindControls();
}

void TOptionForm::BindControls() {
    for (const OptionField& f : OptionFields()) {
        QLineEdit* edit = edits[f.number];
        edit->installEventFilter(this);
        rules_[f.number] = FieldRule{QString::fromUtf8(f.allowed), true};
        GuardEditedText(edit, rules_[f.number]);
        connect(edit, &QLineEdit::textChanged, this, &TOptionForm::LabeledEdit1Change);
    }
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &TOptionForm::Button2Click);
}

void TOptionForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TOptionForm::FormShow() {
    form_->CentreDialog(this);
    filling_ = true;
    const TSettings& s = form_->Settings;
    for (const OptionField& f : OptionFields()) {
        edits[f.number]->setText(f.text ? QString::fromStdString(s.*f.text)
                                        : QString::number(s.*f.integer));
    }
    filling_ = false;
    Button1->setEnabled(false);
    FocusField(edits[PageFields(PageControl1->currentIndex()).front()]);
}

void TOptionForm::LabeledEdit1Change() {
    if (!filling_)
        Button1->setEnabled(true);
}

// An empty numeric field has no number to store: it is refused before anything
// is taken over, so that the settings never hold half of the dialog.
bool TOptionForm::RefuseEmptyNumber() {
    for (int number = 1; number <= kFieldCount; ++number) {
        const OptionField& f = FieldNumbered(number);
        if (!f.integer || !edits[number]->text().isEmpty())
            continue;
        ShowRefusal(this, QStringLiteral("「") + QString::fromUtf8(f.label) +
                              QStringLiteral("」に数値を入力してください。"));
        PageControl1->setCurrentIndex(f.page);
        FocusField(edits[number]);
        return true;
    }
    return false;
}

bool TOptionForm::Button1Click() {
    if (RefuseEmptyNumber())
        return false;
    TSettings& s = form_->Settings;
    const std::string allFiles = s.ALLFiles;
    const int listColumn = s.ListColumn;
    const std::string op3 = s.op3;
    const std::string op4 = s.op4;
    for (int number = 1; number <= kFieldCount; ++number) {
        const OptionField& f = FieldNumbered(number);
        const QString text = edits[number]->text();
        if (f.text)
            s.*f.text = text.toStdString();
        else
            s.*f.integer = text.toInt();
    }
    // The list follows at once; one listing shows every change made here.
    const bool listShape = s.ALLFiles != allFiles || s.ListColumn != listColumn;
    if (s.ListColumn != listColumn)
        form_->ApplyListColumn();
    if (listShape) {
        form_->ListDirectory(false, false, false);
        form_->Timer1->start(1000);
    } else if (s.op3 != op3 || s.op4 != op4) {
        form_->ListDirectory(false, true, false);
    }
    Button1->setEnabled(false);
    return true;
}

void TOptionForm::Button2Click() {
    close();
}

void TOptionForm::done(int result) {
    if (Button1->isEnabled()) {
        const int answer = AskYesNo(
            this, QStringLiteral("オプション設定"),
            QStringLiteral("オプション設定が変更されています。\n保存せずに終了しますか？"));
        form_->LastAnswer = answer;
        // Keeping the changes that a refused field could not take: the dialog stays.
        if (answer != kAnswerYes && !Button1Click())
            return;
    }
    QDialog::done(result);
}

bool TOptionForm::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    return PageKeyDown(edit, key->key()) || PageKeyPress(edit, key);
}

bool TOptionForm::PageKeyDown(QLineEdit* edit, int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    MoveFocus(edit, key == Qt::Key_Down ? 1 : -1);
    return true;
}

bool TOptionForm::PageKeyPress(QLineEdit* edit, QKeyEvent* event) {
    const int number =
        static_cast<int>(std::find(edits.begin(), edits.end(), edit) - edits.begin());
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!edit->text().isEmpty()) {
            edit->setText(QString::fromStdString(AsciiUpper(edit->text().toStdString())));
            MoveFocus(edit, 1);
        }
        return true;
    }
    return FilterTypedCharacter(edit, event, rules_[number]);
}

void TOptionForm::MoveFocus(QLineEdit* from, int step) {
    const int number =
        static_cast<int>(std::find(edits.begin(), edits.end(), from) - edits.begin());
    const std::vector<int> page = PageFields(FieldNumbered(number).page);
    const auto it = std::find(page.begin(), page.end(), number);
    const int count = static_cast<int>(page.size());
    const int at = static_cast<int>(it - page.begin());
    FocusField(edits[page[(at + step + count) % count]]);
}

void TOptionForm::FocusField(QLineEdit* edit) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
}

void TForm1::OpenOptions() {
    RememberWindowRect();
    OptionForm->exec();
}
