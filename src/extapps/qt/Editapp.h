// TEditAppForm "編集アプリ設定": sets the editor's path. "保存" takes the field into
// the table as it is (empty allowed); "ｷｬﾝｾﾙ" leaves the table alone.
#pragma once

#include "extapps/qt/AppDialogHooks.h"

#include <QDialog>

struct TAppTable;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TEditAppForm : public QDialog {
    Q_OBJECT
public:
    TEditAppForm(TAppTable& table, AppDialogHooks hooks, QWidget* parent = nullptr);

    void FormShow();
    void Button1Click();
    void Button5Click();

    QTabWidget* PageControl1 = nullptr; // the one page "編集ｱﾌﾟﾘｹｰｼｮﾝ"
    QLabel* LabeledEdit1Label = nullptr;
    QLineEdit* LabeledEdit1 = nullptr; // the editor path
    QPushButton* Button1 = nullptr;    // "..."
    QPushButton* Button5 = nullptr;    // "保存"
    QPushButton* Button6 = nullptr;    // "ｷｬﾝｾﾙ"

protected:
    void showEvent(QShowEvent* event) override;

private:
    TAppTable& table_;
    AppDialogHooks hooks_;
};
