#include "files/qt/Find.h"

#include "files/FindPattern.h"
#include "files/HistoryList.h"
#include "files/qt/HistoryCombo.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/MessageBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The asterisk is left to the operator although the message names it: "O1*" is a
// natural way to ask for the names that begin with O1.
const QString kRefused = QStringLiteral("/:,;?<>|.");
const QString kRefusedText = QStringLiteral("この文字はファイル名に使えません。\n/:,;*?<>|.");

std::string Utf8(const QString& text) {
    return text.toStdString(); // typed text, not a path read from disk
}

} // namespace

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("絞り込み・検索"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(252, 63);
    Label1 = new QLabel(QStringLiteral("検索・絞り込み名"), this);
    Label1->setGeometry(8, 4, 120, 16);
    ComboBox1 = new QComboBox(this);
    MakeHistoryCombo(ComboBox1);
    ComboBox1->setGeometry(8, 22, 140, 24);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(156, 6, 88, 24);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(156, 34, 88, 24);
    // The entry handles Enter itself.
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    historyFile = ProgramFolder() / "FIND.LST";

    // The combo box keeps the focus and hands keys on to its line edit past every
    // filter: a real keyboard's keys are seen on the combo box.
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { CheckTypedText(); });
    connect(Button1, &QPushButton::clicked, this, &TFindForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<std::string> TFindForm::HistoryEntries() const {
    return HistoryItems(ComboBox1);
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
        SetHistoryItems(ComboBox1, entries);
    ComboBox1->setFocus();
}

void TFindForm::ComboBox1Change() {
    Button1->setEnabled(!ComboBox1->currentText().isEmpty());
}

void TFindForm::ComboBox1KeyPress(QChar& ch) {
    if (ch == QChar('\r')) {
        ch = QChar(0);
        if (!ComboBox1->currentText().isEmpty())
            Button1Click();
        return;
    }
    if (kRefused.contains(ch)) {
        ch = QChar(0);
        ShowRefusal(this, kRefusedText);
    }
}

void TFindForm::CheckTypedText() {
    if (DropRefusedCharacters(ComboBox1, kRefused))
        ShowRefusal(this, kRefusedText);
}

bool TFindForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ComboBox1 || watched == ComboBox1->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        QChar ch = TypedCharacter(static_cast<QKeyEvent*>(event));
        if (ch.isNull() || ch == QChar('\b'))
            return false;
        ComboBox1KeyPress(ch);
        return ch.isNull();
    }
    return QDialog::eventFilter(watched, event);
}

void TFindForm::Button1Click() {
    QString typed = ComboBox1->currentText();
    if (typed.isEmpty()) {
        accept();
        return;
    }
    // The text is typed, not read from disk: the pattern holds it in UTF-8, the
    // encoding of the names this system writes.
    std::string pattern = FindSearchPattern(DirPath, Utf8(typed), Mask);
    std::vector<std::string> entries = HistoryEntries();
    UpdateHistory(entries, Utf8(typed));
    SetHistoryItems(ComboBox1, entries);
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
