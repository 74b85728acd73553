// TOptionForm "ｵﾌﾟｼｮﾝ設定": the 24 option values that the communication settings
// panel does not cover, on four pages of one-line fields driven by Enter, Up and
// Down. "変更" takes the fields into the settings (the file is written at the
// program's close); Button1's enabled state is the "changed" flag.
#pragma once

#include "platform/qt/FieldRule.h"
#include "ui/OptionLayout.h"

#include <QDialog>

#include <array>

class TForm1;

class TOptionForm : public QDialog, public TOptionControls {
    Q_OBJECT

public:
    explicit TOptionForm(TForm1* form);

    // Positions the dialog over the main window and fills the fields.
    void FormShow();
    // "変更": false when an empty numeric field refused it (nothing stored then).
    bool Button1Click();
    void Button2Click();

    // LabeledEdit1 to LabeledEdit24 by their number.
    QLineEdit* LabeledEdit(int number) const { return edits.at(number); }
    // The label above a field.
    QLabel* LabeledEditLabel(int number) const { return labels.at(number); }

    // Every way of closing passes here (Esc, "戻る", the close box): the close question.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindControls();
    void LabeledEdit1Change();
    // Key handlers of the four pages: they differ only in the page's fields.
    bool PageKeyDown(QLineEdit* edit, int key);
    bool PageKeyPress(QLineEdit* edit, QKeyEvent* event);
    void MoveFocus(QLineEdit* from, int step);
    void FocusField(QLineEdit* edit);
    bool RefuseEmptyNumber();

    TForm1* form_;
    std::array<FieldRule, 25> rules_{};
    bool filling_ = false;
};
