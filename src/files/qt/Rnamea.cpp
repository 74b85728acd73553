#include "files/qt/Rnamea.h"

#include "files/qt/Rname.h"

#include <QPushButton>
#include <QRadioButton>

TRNameAForm::TRNameAForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("名前変更"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(260, 176);
    const char* const captions[] = {"名前を変更", "半角英文字を大文字に", "半角英文字を小文字に",
                                    "半角英文字の先頭のみ大文字に", "個々に名前を変更"};
    QRadioButton** buttons[] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4,
                                &RadioButton5};
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(captions[i]), this);
        radio->setGeometry(24, 10 + 24 * i, 220, 20);
        const auto kind = static_cast<RenameKind>(i + 1);
        connect(radio, &QRadioButton::clicked, this, [this, kind] { Kind = kind; });
        *buttons[i] = radio;
    }
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(40, 140, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(140, 140, 80, 26);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TRNameAForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TRNameAForm::FormShow() {
    CentreOnRect(this, CentreRect);
    RadioButton1->setChecked(true);
    Kind = RenameKind::AsTyped;
    RadioButton1->setFocus();
}
