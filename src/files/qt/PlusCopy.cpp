#include "files/qt/PlusCopy.h"

#include "app/StartArguments.h"
#include "files/FileOps.h"
#include "files/HistoryList.h"
#include "files/qt/CreateDirectoryQuestion.h"
#include "files/qt/TransferDialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/PathField.h"
#include "platform/qt/ScreenSaver.h"
#include "transfer/TransferLog.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// "/" separates folders here, so "\" takes its place among the refused characters.
const QString kRefused = QStringLiteral("\\,;*?<>|.");
const QString kRefusedText = QStringLiteral("この文字はフォルダー名に使えません。\n\\:,;*?<>|.");

} // namespace

TPlusCopyForm::TPlusCopyForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(242, 208);
    Label1 = new QLabel(this);
    Label1->setGeometry(8, 6, 226, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 24, 226, 96);
    Label2 = new QLabel(this);
    Label2->setGeometry(8, 126, 100, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setCompleter(nullptr); // its own completion fights the text rules
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(8, 144, 196, 24);
    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setGeometry(208, 144, 26, 24);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(40, 176, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(128, 176, 80, 26);
    // The destination handles Enter itself.
    for (QPushButton* button : {Button1, Button2, Button3}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    historyFile = ProgramFolder() / "Path.lst";

    ComboBox1->lineEdit()->installEventFilter(this);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    // A history entry chosen from the list goes back with its own bytes.
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        ShowPathInField(ComboBox1->lineEdit(),
                        ComboBox1->itemData(index).toByteArray().toStdString());
    });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { CheckTypedText(); });
    connect(Button1, &QPushButton::clicked, this, &TPlusCopyForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TPlusCopyForm::Button3Click);
}

void TPlusCopyForm::AddFile(const std::string& name) {
    auto* item = new QListWidgetItem(ShownText(name), ListBox1);
    item->setData(Qt::UserRole, QByteArray::fromStdString(name));
}

std::string TPlusCopyForm::FileName(int index) const {
    return ListBox1->item(index)->data(Qt::UserRole).toByteArray().toStdString();
}

std::vector<std::string> TPlusCopyForm::HistoryEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < ComboBox1->count(); ++i)
        entries.push_back(ComboBox1->itemData(i).toByteArray().toStdString());
    return entries;
}

void TPlusCopyForm::SetHistoryEntries(const std::vector<std::string>& entries) {
    const std::string path = PathInField(ComboBox1->lineEdit());
    ComboBox1->blockSignals(true);
    ComboBox1->clear();
    for (const std::string& entry : entries)
        ComboBox1->addItem(ShownText(entry), QByteArray::fromStdString(entry));
    ComboBox1->setCurrentIndex(-1);
    ShowPathInField(ComboBox1->lineEdit(), path);
    ComboBox1->blockSignals(false);
}

void TPlusCopyForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPlusCopyForm::CentreOnMainWindow() {
    QWidget* main = parentWidget();
    if (!main)
        return;
    QRect r = main->geometry();
    move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
}

void TPlusCopyForm::FormShow() {
    CentreOnMainWindow();
    Label1->setText(QStringLiteral("選択ファイル一覧 (同一ﾌｫﾙﾀﾞｰには不可!!)"));
    setWindowTitle(CopyFlag ? QStringLiteral("ﾌｧｲﾙｺﾋﾟｰ") : QStringLiteral("ﾌｧｲﾙ移動"));
    Label2->setText(CopyFlag ? QStringLiteral("ｺﾋﾟｰ先") : QStringLiteral("移動先"));
    Button1->setEnabled(false);
    std::vector<std::string> entries;
    if (LoadHistory(historyFile, entries, HistoryKind::Paths)) {
        SetHistoryEntries(entries);
        if (!entries.empty()) {
            Button1->setEnabled(true);
            ShowPathInField(ComboBox1->lineEdit(), entries.front());
        }
    }
    ComboBox1->setFocus();
}

void TPlusCopyForm::ComboBox1Change() {
    Button1->setEnabled(!ComboBox1->currentText().isEmpty());
}

void TPlusCopyForm::ComboBox1KeyPress(QChar& ch) {
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

void TPlusCopyForm::CheckTypedText() {
    QString text = ComboBox1->currentText();
    QString kept;
    for (QChar c : text) {
        if (!kRefused.contains(c))
            kept += c;
    }
    if (kept == text)
        return;
    ComboBox1->setEditText(kept);
    ShowRefusal(this, kRefusedText);
}

bool TPlusCopyForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ComboBox1->lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QChar ch = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                       ? QChar('\r')
                       : (key->text().isEmpty() ? QChar(0) : key->text().at(0));
        if (ch.isNull() || ch == QChar('\b'))
            return false;
        ComboBox1KeyPress(ch);
        return ch.isNull();
    }
    return QDialog::eventFilter(watched, event);
}

void TPlusCopyForm::Button3Click() {
    QString start = QFile::decodeName(QByteArray::fromStdString(DirPath));
    QString title = QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(DirPath);
    QString chosen = browseForTest ? browseForTest(title, start)
                                   : QFileDialog::getExistingDirectory(this, title, start);
    ShowPathInField(ComboBox1->lineEdit(),
                    chosen.isEmpty() ? DirPath : QFile::encodeName(chosen).toStdString());
    Button1->setEnabled(!ComboBox1->currentText().isEmpty());
    ComboBox1->setFocus();
}

void TPlusCopyForm::Button1Click() {
    ScreenSaver::Suspend();
    QString typed = ComboBox1->currentText();
    if (typed.isEmpty()) {
        ComboBox1->setFocus();
        return;
    }
    const std::string typedPath = PathInField(ComboBox1->lineEdit());
    std::vector<std::string> entries = HistoryEntries();
    UpdateHistory(entries, typedPath);
    SetHistoryEntries(entries);

    std::string dest = ResolveTypedPath(typedPath, DirPath, DefaultDirPath());
    std::error_code ec;
    if (dest != "/" && !std::filesystem::is_directory(dest, ec)) {
        const CreateDirectoryOutcome outcome = AskCreateDirectory(this, dest);
        if (outcome == CreateDirectoryOutcome::Failed) {
            ComboBox1->setFocus();
            return;
        }
        if (outcome == CreateDirectoryOutcome::Declined) {
            dest = DirPath;
            ShowPathInField(ComboBox1->lineEdit(), DirPath);
        }
    }
    if (IsSameFolder(dest, DirPath)) {
        ShowBoxAtCorner(this,
                        {BoxIcon::Exclamation,
                         BoxButtons::Yes,
                         QStringLiteral("警告"),
                         ShownText(DirPath) + QStringLiteral("のﾌｫﾙﾀﾞｰにはｺﾋﾟｰは出来ません。"),
                         {}});
        ComboBox1->setFocus();
        return;
    }
    std::string sources;
    for (int i = 0; i < ListBox1->count(); ++i)
        sources += JoinDirPath(DirPath, FileName(i)) + ";";
    if (transferFiles)
        transferFiles(sources, dest);
    accept();
}

void TPlusCopyForm::done(int result) {
    if (restoreLegend)
        restoreLegend();
    std::string error;
    if (!SaveHistory(historyFile, HistoryEntries(), &error))
        ShowRefusal(this, QStringLiteral("履歴を保存できませんでした。\n") + ShownText(error));
    ScreenSaver::Allow();
    QDialog::done(result);
}
