#include "files/qt/Find.h"

#include "files/FindPattern.h"
#include "files/HistoryList.h"
#include "files/qt/HistoryCombo.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

// The asterisk is left to the operator although the message names it: "O1*" is a
// natural way to ask for the names that begin with O1.
const QString kRefused = QStringLiteral("/:,;?<>|.");
const QString kRefusedText = QStringLiteral("この文字はファイル名に使えません。\n/:,;*?<>|.");

} // namespace

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("絞り込み・検索"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(252, 63);
    Label1 = new QLabel(QStringLiteral("検索・絞り込み名"), this);
    Label1->setGeometry(8, 4, 120, 16);
    ComboBox1 = new QComboBox(this);
    history_ = new HistoryCombo(ComboBox1, kRefused, kRefusedText, [this] { Button1Click(); });
    ComboBox1->setGeometry(8, 22, 140, 24);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(156, 6, 88, 24);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(156, 34, 88, 24);
    // The entry handles Enter itself.
    PressOnEnter({Button1, Button2});
    historyFile = ProgramFolder() / "FIND.LST";

    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, &TFindForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<std::string> TFindForm::HistoryEntries() const {
    return history_->Entries();
}

void TFindForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFindForm::FormShow() {
    if (QWidget* main = parentWidget()) {
        QRect r = main->geometry();
        move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
    }
    Button1->setEnabled(false);
    std::vector<std::string> entries;
    if (LoadHistory(historyFile, entries))
        history_->SetEntries(entries);
    ComboBox1->setFocus();
}

void TFindForm::ComboBox1Change() {
    Button1->setEnabled(!ComboBox1->currentText().isEmpty());
}

void TFindForm::ComboBox1KeyPress(QChar& ch) {
    history_->KeyPress(ch);
}

void TFindForm::Button1Click() {
    QString typed = ComboBox1->currentText();
    if (typed.isEmpty()) {
        accept();
        return;
    }
    // The text is typed, not read from disk: the pattern holds it in UTF-8, the
    // encoding of the names this system writes.
    std::string pattern = FindSearchPattern(DirPath, ToUtf8(typed), Mask);
    std::vector<std::string> entries = HistoryEntries();
    UpdateHistory(entries, ToUtf8(typed));
    history_->SetEntries(entries);
    if (listNarrowed)
        listNarrowed(pattern);
    accept();
}

void TFindForm::done(int result) {
    if (restoreLegend)
        restoreLegend();
    // A history that cannot be written is not worth a box at every close.
    SaveHistory(historyFile, HistoryEntries());
    QDialog::done(result);
}
