// TRNameAForm: what to do with the marked files of the file list: nothing, their
// half-width letters in upper case, lower case or only the first one in upper case,
// or a new name for each file in turn.
#pragma once

#include "files/RenameKinds.h"

#include <QDialog>
#include <QRect>

class QPushButton;
class QRadioButton;

class TRNameAForm : public QDialog {
    Q_OBJECT
public:
    explicit TRNameAForm(QWidget* parent = nullptr);

    // Set before every showing: the main window's remembered rectangle.
    QRect CentreRect;
    // Read after OK.
    RenameKind Kind = RenameKind::AsTyped;

    void FormShow();

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
