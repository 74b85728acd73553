// TAutoForm, "自動切替": asks for the selection text of an automatic port
// switch before a transfer. The field takes at most three of "012345-"; the
// text is kept after "ＯＮ" and the field starts empty at every showing.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TAutoForm : public QDialog {
    Q_OBJECT
public:
    explicit TAutoForm(QWidget* parent = nullptr);

    // Shows the dialog modally: the selection text after "ＯＮ", nothing after "ｷｬﾝｾﾙ".
    std::optional<std::string> AskSelection();
    const std::string& SelectionText() const { return selectionText; }

    QLabel* LabeledEdit1Label;
    QLineEdit* LabeledEdit1;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    bool LabeledEdit1KeyPress(QKeyEvent* event);
    void LabeledEdit1Change();
    void Button1Click();

    std::string selectionText;
};
