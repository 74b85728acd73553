#include "extapps/qt/Editapp.h"

#include "extapps/AppTable.h"
#include "extapps/qt/ProgramChooser.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/LabeledEdit.h"
#include "platform/qt/QtText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

TEditAppForm::TEditAppForm(TAppTable& table, AppDialogHooks hooks, QWidget* parent)
    : QDialog(parent), table_(table), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("編集アプリ設定"));
    setFixedSize(420, 150);
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(8, 8, 404, 100);
    auto* page = new QWidget;
    PageControl1->addTab(page, QStringLiteral("編集ｱﾌﾟﾘｹｰｼｮﾝ"));
    LabeledEdit1 =
        MakeLabeledEdit(page, QStringLiteral("ｴﾃﾞｨﾀｿﾌﾄ"), {8, 26, 340, 22}, &LabeledEdit1Label);
    Button1 = new QPushButton(QStringLiteral("..."), page);
    Button1->setGeometry(354, 25, 30, 24);
    Button5 = new QPushButton(QStringLiteral("保存"), this);
    Button5->setGeometry(240, 116, 80, 26);
    Button6 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button6->setGeometry(330, 116, 80, 26);
    PressOnEnter({Button1, Button5, Button6});
    connect(Button1, &QPushButton::clicked, this, &TEditAppForm::Button1Click);
    connect(Button5, &QPushButton::clicked, this, &TEditAppForm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditAppForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TEditAppForm::FormShow() {
    if (hooks_.centre)
        hooks_.centre(this);
    ShowPathInField(LabeledEdit1, table_.EditApp);
    LabeledEdit1->setFocus();
}

void TEditAppForm::Button1Click() {
    std::string chosen = ChooseProgram(hooks_, this);
    if (!chosen.empty())
        ShowPathInField(LabeledEdit1, chosen);
}

void TEditAppForm::Button5Click() {
    table_.EditApp = PathInField(LabeledEdit1);
    accept();
}
