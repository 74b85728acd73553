#include "files/qt/Rname.h"

#include "files/qt/TransferDialogs.h"
#include "platform/TextCodec.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// "/" separates folders and NUL ends a name: no file name can hold them here.
const QString kRefusedText = QStringLiteral("この文字はファイル名に使えません。\n/");

bool Refused(QChar ch) {
    return ch == u'/' || ch.isNull();
}

} // namespace

void CentreOnRect(QWidget* dialog, const QRect& rect) {
    dialog->move(rect.left() + rect.width() / 2 - dialog->width() / 2,
                 rect.top() + rect.height() / 2 - dialog->height() / 2);
}

TRNameForm::TRNameForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("名前変更"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(372, 167);
    Label1 = new QLabel(this);
    Label1->setGeometry(16, 8, 340, 18);
    LabeledEdit1Label = new QLabel(QStringLiteral("新しい名前を入力"), this);
    LabeledEdit1Label->setGeometry(16, 30, 340, 16);
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit1->setGeometry(16, 48, 340, 24);
    LabeledEdit1Label->setBuddy(LabeledEdit1);
    RadioButton1 = new QRadioButton(QStringLiteral("名前を変更"), this);
    RadioButton1->setGeometry(16, 80, 170, 20);
    RadioButton2 = new QRadioButton(QStringLiteral("半角英文字を大文字に"), this);
    RadioButton2->setGeometry(190, 80, 170, 20);
    RadioButton3 = new QRadioButton(QStringLiteral("半角英文字を小文字に"), this);
    RadioButton3->setGeometry(16, 104, 170, 20);
    RadioButton4 = new QRadioButton(QStringLiteral("半角英文字の先頭のみ大文字に"), this);
    RadioButton4->setGeometry(190, 104, 180, 20);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(100, 134, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(192, 134, 80, 26);
    // The entry handles Enter itself.
    PressOnEnter({Button1, Button2});

    LabeledEdit1->installEventFilter(this);
    connect(LabeledEdit1, &QLineEdit::textChanged, this, &TRNameForm::LabeledEdit1Change);
    connect(RadioButton1, &QRadioButton::clicked, this, &TRNameForm::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TRNameForm::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TRNameForm::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TRNameForm::RadioButton4Click);
    connect(Button1, &QPushButton::clicked, this, &TRNameForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TRNameForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TRNameForm::FormShow() {
    CentreOnRect(this, CentreRect);
    Label1->setText(ShownText(CurrentName));
    Kind = RenameKind::AsTyped;
    LabeledEdit1->setText(ShownText(CurrentName));
    RadioButton1->setChecked(true);
    RadioButton1Click();
}

void TRNameForm::ChooseKind(RenameKind kind) {
    Kind = kind;
    ApplyKind();
    LabeledEdit1->setFocus();
}

void TRNameForm::RadioButton1Click() {
    ChooseKind(RenameKind::AsTyped);
}

void TRNameForm::RadioButton2Click() {
    ChooseKind(RenameKind::Upper);
}

void TRNameForm::RadioButton3Click() {
    ChooseKind(RenameKind::Lower);
}

void TRNameForm::RadioButton4Click() {
    ChooseKind(RenameKind::Capitalised);
}

void TRNameForm::ApplyKind() {
    QString text = LabeledEdit1->text();
    QString kept;
    for (QChar ch : text) {
        if (!Refused(ch))
            kept += ch;
    }
    QString mapped = FromUtf8(ConvertName(Kind, kept.toStdString()));
    if (mapped == text)
        return;
    int caret = LabeledEdit1->cursorPosition() - static_cast<int>(text.size() - kept.size());
    rewriting_ = true;
    LabeledEdit1->setText(mapped);
    rewriting_ = false;
    LabeledEdit1->setCursorPosition(std::max(0, caret));
    if (kept != text)
        ShowRefusal(this, kRefusedText);
}

void TRNameForm::LabeledEdit1Change() {
    if (rewriting_)
        return;
    ApplyKind();
    // Kind 4 keeps the first character in upper case: typing never goes before it.
    if (Kind == RenameKind::Capitalised && LabeledEdit1->cursorPosition() == 0 &&
        !LabeledEdit1->text().isEmpty())
        LabeledEdit1->setCursorPosition(1);
}

bool TRNameForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabeledEdit1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!LabeledEdit1->text().isEmpty())
                Button1Click();
            return true;
        }
        if (key->text().size() == 1 && key->text().front() == u'/') {
            ShowRefusal(this, kRefusedText);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRNameForm::Button1Click() {
    const QString text = LabeledEdit1->text();
    // A kind changes the half-width letters only: applied to the name's own bytes it
    // keeps every other byte, also those that no encoding can show.
    const std::string converted = ConvertName(Kind, CurrentName);
    if (text == DecodedText(converted))
        ResultName = converted;
    else
        ResultName = NameFromText(ToUtf8(text), CurrentName); // as the file system holds it
    accept();
}
