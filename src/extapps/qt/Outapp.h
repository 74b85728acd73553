// TOutAppForm "引数": the argument dialog of a binding whose argument flag is "Y".
// It shows the binding's name and template and proposes the argument; OK (or Enter
// in the argument) replaces the placeholders and starts the program.
#pragma once

#include "extapps/qt/AppDialogHooks.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TOutAppForm : public QDialog {
    Q_OBJECT
public:
    explicit TOutAppForm(AppDialogHooks hooks, QWidget* parent = nullptr);

    // Filled by the Alt+letter launch before it shows the dialog.
    void Prepare(const std::string& name, const std::string& command, const std::string& proposed);
    void Button1Click();

    QLabel* Label1 = nullptr; // the binding's display name
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr; // the command template
    QLabel* LabeledEdit1Label = nullptr;
    QLineEdit* LabeledEdit1 = nullptr; // the argument
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppDialogHooks hooks_;
    std::string command_;
};
