#include "app/qt/Option.h"

#include "app/qt/Mainunit1.h"
#include "platform/TextCodec.h"
#include "platform/qt/MessageBox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <vector>

namespace {

constexpr const char* kYesNo = "YNyn";

struct OptionField {
    int number; // LabeledEditN
    int page;
    int tag;
    const char* label;
    const char* allowed; // "" takes every character
    int maxLength;       // 0: no limit
    int width;
    std::string TSettings::*text;
    int TSettings::*integer;
    const char* hint;
};

// The fields by page and Tag, with the setting each one edits.
const std::vector<OptionField>& Fields() {
    static const std::vector<OptionField> fields = {
        {3, 0, 1, "ＤＲ信号を常にON(Y/N)", kYesNo, 1, 30, &TSettings::op1, nullptr, nullptr},
        {6, 0, 2, "DC3を0x93にする(Y/N)", kYesNo, 1, 30, &TSettings::DC30X93, nullptr, nullptr},
        {7, 0, 3, "o番号毎に分割時連番をつける(Y/N)", kYesNo, 1, 30, &TSettings::Add_No, nullptr,
         nullptr},
        {18, 0, 4, "ﾓﾃﾞﾑﾎﾟｰﾄ番号１(例:COM1)", "COMcom0123456789", 5, 50, &TSettings::ModemePort1,
         nullptr, nullptr},
        {19, 0, 5, "ﾓﾃﾞﾑﾎﾟｰﾄ番号２(例:COM12)", "COMcom0123456789", 5, 50, &TSettings::ModemePort2,
         nullptr, nullptr},
        {14, 0, 6, "自動ﾎﾟｰﾄ切替(Y/N)", kYesNo, 1, 30, &TSettings::AutoSelect, nullptr, nullptr},
        {10, 0, 7, "送受信完了後、ＰＣ電源断(Y/N)", kYesNo, 1, 30, &TSettings::Power_Off, nullptr,
         nullptr},
        {24, 0, 8, "DSR信号を併用する(Y/N)", kYesNo, 1, 30, &TSettings::op6, nullptr, nullptr},
        {1, 1, 1, "受信時Ｏ→：に変換(Y/N)", kYesNo, 1, 30, &TSettings::OChange, nullptr, nullptr},
        {23, 1, 2, "受信中止でもﾃﾞｰﾀ保存(Y/N)", kYesNo, 1, 30, &TSettings::op5, nullptr, nullptr},
        {12, 1, 3, "受信時、ﾜｰﾄﾞ毎にｽﾍﾟｰｽをつけない(Y/N)", kYesNo, 1, 30, &TSettings::Read_SP_Cut,
         nullptr, nullptr},
        {15, 1, 4, "受信 0:自動判別 1:ISO 2:EIA 3:ASCII", "0123", 1, 30, nullptr,
         &TSettings::R_Code, nullptr},
        {4, 2, 1, "ｳｪｲﾄﾀｲﾑ(msec)", "1234567890", 3, 50, nullptr, &TSettings::InvTime, nullptr},
        {13, 2, 2, "送信時、前処理(0-2)", "0123", 1, 30, nullptr, &TSettings::Send_Before,
         "(0:標準 1:ｽﾍﾟｰｽ 2:ﾀｲﾏｰ)"},
        {8, 2, 3, "ｽﾀｰﾄｷｬﾗﾀｲﾌﾟ(1-5)", "12345", 1, 30, nullptr, &TSettings::StartChar_Type,
         "(1:%+LF 2:%%+LF 3:% * 4:% 5:%%)"},
        {9, 2, 4, "ｴﾝﾄﾞｷｬﾗﾀｲﾌﾟ(1-4)", "1234", 1, 30, nullptr, &TSettings::EndChar_Type,
         "(1:% 2:%% 3:%+LF 4:%%+LF)"},
        {11, 2, 5, "送信時、ｽﾍﾟｰｽは送らない(Y/N)", kYesNo, 1, 30, &TSettings::Send_SP_Cut, nullptr,
         nullptr},
        {16, 2, 6, "送信時、送信しない文字列", "", 0, 137, &TSettings::SendMsg1, nullptr, nullptr},
        {17, 2, 7, "注釈(；か’)以降も送信(Y/N)", kYesNo, 1, 30, &TSettings::MSG_OP, nullptr,
         nullptr},
        {20, 2, 8, "ＮＣからの中止信号は無効(Y/N)", kYesNo, 1, 30, &TSettings::op2, nullptr,
         nullptr},
        {2, 3, 1, "ﾌｧｲﾙをすべて表示(Y/N)", kYesNo, 1, 30, &TSettings::ALLFiles, nullptr, nullptr},
        {5, 3, 2, "ﾌｧｲﾙ表示列数(1-5)", "12345", 1, 30, nullptr, &TSettings::ListColumn, nullptr},
        {21, 3, 3, "ﾘｽﾄ大文字表示 (Y/N)", kYesNo, 1, 30, &TSettings::op3, nullptr, nullptr},
        {22, 3, 4, "ﾛﾝｸﾞﾌｧｲﾙ名で表示(Y/N)", kYesNo, 1, 30, &TSettings::op4, nullptr, nullptr},
    };
    return fields;
}

// "変更" takes the fields over in the order of their numbers, LabeledEdit1 to 24.
constexpr int kFieldCount = 24;

const char* const kPageCaptions[] = {"通信全般", "受信", "送信", "その他"};

const OptionField& FieldNumbered(int number) {
    for (const OptionField& f : Fields()) {
        if (f.number == number)
            return f;
    }
    return Fields().front();
}

// The fields of one page in Tag order.
std::vector<int> PageFields(int page) {
    std::vector<int> numbers;
    for (int tag = 1; tag <= 8; ++tag) {
        for (const OptionField& f : Fields()) {
            if (f.page == page && f.tag == tag)
                numbers.push_back(f.number);
        }
    }
    return numbers;
}

} // namespace

TOptionForm::TOptionForm(TForm1* form) : QDialog(form), form_(form) {
    BuildLayout();
}

void TOptionForm::BuildLayout() {
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(272, 411);
    setFont(GothicFont());

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(10, 10, 250, 360);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    std::array<QWidget*, 4> pages{};
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget;
        PageControl1->addTab(pages[i], QString::fromUtf8(kPageCaptions[i]));
    }
    for (const OptionField& f : Fields()) {
        const int top = 6 + (f.tag - 1) * 38;
        auto* label = new QLabel(QString::fromUtf8(f.label), pages[f.page]);
        label->setGeometry(8, top, 236, 16);
        auto* edit = new QLineEdit(pages[f.page]);
        edit->setGeometry(8, top + 16, f.width, 20);
        if (f.maxLength > 0)
            edit->setMaxLength(f.maxLength);
        edit->setProperty("Tag", f.tag);
        edit->installEventFilter(this);
        label->setBuddy(edit);
        if (f.hint) {
            auto* hint = new QLabel(QString::fromUtf8(f.hint), pages[f.page]);
            hint->setGeometry(8 + f.width + 8, top + 16, 236 - f.width - 8, 20);
            QPalette p = hint->palette();
            p.setColor(QPalette::WindowText, Qt::red);
            hint->setPalette(p);
        }
        rules_[f.number] = FieldRule{QString::fromUtf8(f.allowed), true};
        GuardEditedText(edit, rules_[f.number]);
        connect(edit, &QLineEdit::textChanged, this, &TOptionForm::LabeledEdit1Change);
        edits_[f.number] = edit;
        labels_[f.number] = label;
    }

    Button1 = new QPushButton(QStringLiteral("変更"), this);
    Button1->setGeometry(110, 376, 65, 25);
    Button2 = new QPushButton(QStringLiteral("戻る"), this);
    Button2->setGeometry(190, 376, 65, 25);
    // The fields handle Enter themselves; it must not also press a button.
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
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
    for (const OptionField& f : Fields()) {
        edits_[f.number]->setText(f.text ? QString::fromStdString(s.*f.text)
                                         : QString::number(s.*f.integer));
    }
    filling_ = false;
    Button1->setEnabled(false);
    FocusField(edits_[PageFields(PageControl1->currentIndex()).front()]);
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
        if (!f.integer || !edits_[number]->text().isEmpty())
            continue;
        ShowRefusal(this, QStringLiteral("「") + QString::fromUtf8(f.label) +
                              QStringLiteral("」に数値を入力してください。"));
        PageControl1->setCurrentIndex(f.page);
        FocusField(edits_[number]);
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
        const QString text = edits_[number]->text();
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
        static_cast<int>(std::find(edits_.begin(), edits_.end(), edit) - edits_.begin());
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
        static_cast<int>(std::find(edits_.begin(), edits_.end(), from) - edits_.begin());
    const std::vector<int> page = PageFields(FieldNumbered(number).page);
    const auto it = std::find(page.begin(), page.end(), number);
    const int count = static_cast<int>(page.size());
    const int at = static_cast<int>(it - page.begin());
    FocusField(edits_[page[(at + step + count) % count]]);
}

void TOptionForm::FocusField(QLineEdit* edit) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
}

void TForm1::OpenOptions() {
    RememberWindowRect();
    OptionForm->exec();
}
