#include "nctools/qt/Autono.h"

#include "nctools/AutoSelect.h"
#include "platform/qt/MessageBox.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TAutoForm::TAutoForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("自動切替"));
    LabeledEdit1Label = new QLabel(QStringLiteral("自動選択番号"), this);
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit1->setMaxLength(kSelectionMaxLength);
    LabeledEdit1Label->setBuddy(LabeledEdit1);
    Label1 = new QLabel(QStringLiteral("ﾂﾘｰ設定も可です。番号－番号"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setStyleSheet(QStringLiteral("color: red"));
    Button1 = new QPushButton(QStringLiteral("ＯＮ"), this);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(LabeledEdit1Label, 0, 0, 1, 2);
    layout->addWidget(LabeledEdit1, 1, 0, 1, 2);
    layout->addWidget(Label1, 2, 0, 1, 2);
    layout->addWidget(Button1, 3, 0);
    layout->addWidget(Button2, 3, 1);

    LabeledEdit1->installEventFilter(this);
    connect(LabeledEdit1, &QLineEdit::textChanged, this, [this] { LabeledEdit1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> TAutoForm::AskSelection() {
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return selectionText;
}

void TAutoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TAutoForm::FormShow() {
    if (QWidget* main = parentWidget()) {
        QRect r = main->geometry();
        move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
    }
    LabeledEdit1->clear();
    LabeledEdit1->setFocus();
}

bool TAutoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabeledEdit1 && event->type() == QEvent::KeyPress) {
        return LabeledEdit1KeyPress(static_cast<QKeyEvent*>(event));
    }
    return QDialog::eventFilter(watched, event);
}

// True when the key was handled here and goes no further.
bool TAutoForm::LabeledEdit1KeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!LabeledEdit1->text().isEmpty()) {
            Button1->setFocus();
        }
        return true; // never the dialog's default button from the field
    }
    QString text = event->text();
    if (text.isEmpty() || text.at(0) < QChar(0x20) || text.at(0) == QChar(0x7F)) {
        return false; // backspace, arrows and the other keys that type nothing
    }
    if (!SelectionKeyAccepted(text.at(0).unicode())) {
        ShowBox(this, {BoxIcon::Stop,
                       BoxButtons::Ok,
                       QStringLiteral("確認"),
                       QStringLiteral("この文字は変更できません。\n"),
                       {}});
        return true;
    }
    return false;
}

// Text committed by an input method or pasted never passed the key filter.
void TAutoForm::LabeledEdit1Change() {
    std::string typed = LabeledEdit1->text().toStdString();
    std::string allowed = FilterSelectionText(typed);
    if (allowed != typed) {
        LabeledEdit1->setText(QString::fromStdString(allowed));
    }
}

void TAutoForm::Button1Click() {
    selectionText = LabeledEdit1->text().toStdString();
    accept();
}
