#include "extapps/qt/Outapp.h"

#include "extapps/Placeholders.h"
#include "files/qt/TransferDialogs.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/LabeledEdit.h"
#include "platform/qt/QtText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TOutAppForm::TOutAppForm(AppDialogHooks hooks, QWidget* parent)
    : QDialog(parent), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("引数"));
    setFixedSize(420, 150);
    Label1 = new QLabel(QStringLiteral("外部ｱﾌﾟﾘ"), this);
    Label1->setGeometry(12, 8, 396, 18);
    Label2 = new QLabel(QStringLiteral("起動ｱﾌﾟﾘｹｰｼｮﾝ"), this);
    Label2->setGeometry(12, 30, 396, 18);
    Label3 = new QLabel(QStringLiteral("App"), this);
    Label3->setGeometry(24, 50, 384, 18);
    LabeledEdit1 =
        MakeLabeledEdit(this, QStringLiteral("引数"), {12, 90, 396, 22}, &LabeledEdit1Label);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(236, 118, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(328, 118, 80, 26);
    // The argument field handles Enter itself.
    PressOnEnter({Button1, Button2});
    LabeledEdit1->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, &TOutAppForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TOutAppForm::Prepare(const std::string& name, const std::string& command,
                          const std::string& proposed) {
    command_ = command;
    Label1->setText(ShownText(name));
    Label3->setText(ShownText(command));
    ShowPathInField(LabeledEdit1, proposed);
}

void TOutAppForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (hooks_.centre)
        hooks_.centre(this);
    if (hooks_.hideMainPanels)
        hooks_.hideMainPanels();
    LabeledEdit1->setFocus();
}

bool TOutAppForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabeledEdit1 && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TOutAppForm::Button1Click() {
    ProgramCall call = ConfirmedCall(command_, PathInField(LabeledEdit1));
    if (hooks_.launch)
        hooks_.launch(call.program, call.arguments);
    accept();
}
