// TRNameForm: edits one new name for an entry of the file list, as typed or with its
// half-width letters in upper case, lower case or only the first one in upper case.
// The name is kept as bytes: an unchanged text gives back the bytes of the current
// name, an edited one is encoded as the current name was (UTF-8 or Shift-JIS).
#pragma once

#include "files/RenameKinds.h"

#include <QDialog>
#include <QRect>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TRNameForm : public QDialog {
    Q_OBJECT
public:
    explicit TRNameForm(QWidget* parent = nullptr);

    // Set before every showing: the entry's name (bytes) and the main window's
    // remembered rectangle, on which the dialog centres.
    std::string CurrentName;
    QRect CentreRect;

    // Read after OK.
    RenameKind Kind = RenameKind::AsTyped;
    std::string ResultName;

    void FormShow();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void LabeledEdit1Change();
    void Button1Click();

    QLabel* Label1 = nullptr;
    QLabel* LabeledEdit1Label = nullptr;
    QLineEdit* LabeledEdit1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ChooseKind(RenameKind kind);
    // Rewrites the entry by the kind, keeping the caret where it was.
    void ApplyKind();
    bool rewriting_ = false;
};

// Centres a dialog on rect: integer halves rounded toward zero.
void CentreOnRect(QWidget* dialog, const QRect& rect);
