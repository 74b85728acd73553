#include "files/qt/PlusCopy.h"

#include "files/HistoryList.h"
#include "files/qt/CreateDirectoryQuestion.h"
#include "files/qt/HistoryCombo.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
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
    history_ = new HistoryCombo(ComboBox1, kRefused, kRefusedText, [this] { Button1Click(); });
    ComboBox1->setGeometry(8, 144, 196, 24);
    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setGeometry(208, 144, 26, 24);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(40, 176, 80, 26);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(128, 176, 80, 26);
    // The destination handles Enter itself.
    PressOnEnter({Button1, Button2, Button3});
    historyFile = ProgramFolder() / "Path.lst";

    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
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
    return history_->Entries();
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
        history_->SetEntries(entries);
        if (!entries.empty()) {
            Button1->setEnabled(true);
            history_->SetText(entries.front());
        }
    }
    ComboBox1->setFocus();
}

void TPlusCopyForm::ComboBox1Change() {
    Button1->setEnabled(!ComboBox1->currentText().isEmpty());
}

void TPlusCopyForm::ComboBox1KeyPress(QChar& ch) {
    history_->KeyPress(ch);
}

void TPlusCopyForm::Button3Click() {
    QString start = QFile::decodeName(QByteArray::fromStdString(DirPath));
    QString title = QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(DirPath);
    QString chosen = browseForTest ? browseForTest(title, start)
                                   : QFileDialog::getExistingDirectory(this, title, start);
    history_->SetText(chosen.isEmpty() ? DirPath : QFile::encodeName(chosen).toStdString());
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
    const std::string typedPath = history_->Text();
    std::vector<std::string> entries = history_->Entries();
    UpdateHistory(entries, typedPath);
    history_->SetEntries(entries);

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
            history_->SetText(DirPath);
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
        sources += JoinPath(DirPath, FileName(i)) + ";";
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
