// TAppopenForm "外部コマンド設定": the 26 Alt bindings in a list, one edited at a
// time. "変更\n追加" applies the fields to the selected row and to the table at
// once; "終了" only closes, and rows edited but not applied are forgotten, since the
// list is rebuilt from the table at every show.
#pragma once

#include "extapps/qt/AppDialogHooks.h"

#include <QDialog>

struct TAppTable;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TAppopenForm : public QDialog {
    Q_OBJECT
public:
    TAppopenForm(TAppTable& table, AppDialogHooks hooks, QWidget* parent = nullptr);

    void FormShow();
    // The fields from the selected row (show, and every click and key in the list).
    void LoadEditFields();
    void BitBtn1Click();
    void Button1Click();

    QTreeWidget* ListView1 = nullptr;
    QLabel* Label1 = nullptr; // caption of the row being edited
    QLabel* LabeledEdit1Label = nullptr;
    QLineEdit* LabeledEdit1 = nullptr; // display name
    QCheckBox* CheckBox1 = nullptr;    // argument flag
    QLabel* LabeledEdit2Label = nullptr;
    QLineEdit* LabeledEdit2 = nullptr; // command template
    QPushButton* BitBtn1 = nullptr;    // the program chooser
    QPushButton* Button1 = nullptr;    // apply
    QLabel* Label2 = nullptr;          // placeholder legend
    QPushButton* Button2 = nullptr;    // "終了"

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillRow(int row);
    int SelectedRow() const;
    void SelectRow(int row);

    TAppTable& table_;
    AppDialogHooks hooks_;
};
