// The command line Edit1: the prompts of F5, Shift+F5 and F6, the character filters
// of its modes, and Enter and Esc: copy under a new name, change the working
// directory, change the mask. The named reception belongs to the receive job.
#include "app/qt/Mainunit1.h"

#include "files/CommandLine.h"
#include "files/FileCopy.h"
#include "files/MakeDirectoryPath.h"
#include "files/qt/CreateDirectoryQuestion.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "ui/CommandLinePanel.h"
#include "ui/StatusPanels.h"

#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// Edit1's key press as the window's key-down and key-press handlers see it, before
// the field does; true when they took it.
bool Edit1Key(TForm1& form, QKeyEvent* press) {
    int key = press->key();
    form.Edit1KeyDown(key);
    if (key == 0)
        return true;
    QChar ch = (key == Qt::Key_Return || key == Qt::Key_Enter) ? QChar('\r')
               : press->text().isEmpty()                       ? QChar(0)
                                                               : press->text().at(0);
    if (ch.isNull() || (!ch.isPrint() && ch != QChar('\r')))
        return false;
    form.Edit1KeyPress(ch);
    return ch.isNull() || ch == QChar('\r');
}

} // namespace

void TForm1::BindFileCommands() {
    CommandLine->onKey = [this](QKeyEvent* press) { return Edit1Key(*this, press); };
    RichEdit1->SetKeyDownHandler(
        [this](QKeyEvent* event) { return RichEdit1KeyDown(event->key()); });
    // Text committed by an input method or pasted passes no key filter.
    CommandLine->onTextEdited = [this] { CheckEdit1Text(); };
}

void TForm1::CheckEdit1Text() {
    const bool allFiles = Settings.ALLFiles == "Y";
    const std::u32string text = CommandLine->Text().toStdU32String();
    std::u32string kept;
    std::optional<std::string> refusal;
    for (char32_t c : text) {
        if (auto refused = RefusedCharacterText(CommandLine->Mode(), allFiles, c))
            refusal = refused;
        else
            kept += c;
    }
    if (!refusal)
        return;
    CommandLine->SetText(QString::fromStdU32String(kept));
    ShowRefusal(this, QString::fromStdString(*refusal));
}

void TForm1::ChangeDirectory() {
    PromptForDirectory(Settings.DirPath);
}

void TForm1::BrowseDirectory() {
    const QString current = QFile::decodeName(QByteArray::fromStdString(Settings.DirPath));
    std::error_code ec;
    const QString start = std::filesystem::is_directory(Settings.DirPath, ec) ? current : QString();
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(Settings.DirPath), start);
    PromptForDirectory(chosen.isEmpty() ? Settings.DirPath
                                        : QFile::encodeName(chosen).toStdString());
}

void TForm1::PromptForDirectory(const std::string& startPath) {
    CommandLine->Prompt(Edit1Mode::Directory);
    ListBox1->setEnabled(false);
    SetMessage(QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(Settings.DirPath) +
               QStringLiteral(" -->>>変更後 "));
    CommandLine->ShowPath(startPath);
}

void TForm1::ChangeMask() {
    ListBox1->setEnabled(false);
    SetMessage(QStringLiteral("拡張子変更 ") + QString::fromStdString(Settings.Mask) +
               QStringLiteral(" -->>>"));
    CommandLine->Prompt(Edit1Mode::Mask);
}

void TForm1::Edit1KeyPress(QChar& ch) {
    if (ch != QChar('\r')) {
        if (auto refusal =
                RefusedCharacterText(CommandLine->Mode(), Settings.ALLFiles == "Y", ch.unicode())) {
            ch = QChar(0);
            ShowRefusal(this, QString::fromStdString(*refusal));
        }
        return;
    }
    if (CommandLine->Text().isEmpty())
        return;
    switch (CommandLine->Mode()) {
    case Edit1Mode::NamedReceive:
        ReceiveUnderName();
        break;
    case Edit1Mode::CopyAs:
        CopyUnderNewName();
        break;
    case Edit1Mode::Directory:
        ChangeToTypedDirectory();
        break;
    case Edit1Mode::Mask:
        ChangeToTypedMask();
        break;
    case Edit1Mode::None:
        break;
    }
}

void TForm1::Edit1KeyDown(int& key) {
    if (key == Qt::Key_Escape) {
        key = 0;
        CommandLine->Clear();
        AbortToIdle();
        CommandLine->Enable(false);
        for (int panel : {4, 5, 6})
            SetStatusPanel(panel, QString());
    } else if (key == Qt::Key_F10) {
        key = 0;
        close();
    }
}

void TForm1::CommandLineDone() {
    CommandLine->Clear();
    ListDirectory(false, false, false);
    ListBox1->setEnabled(true);
    CommandLine->Enable(false);
}

void TForm1::CopyUnderNewName() {
    const std::string typed = CommandLine->Text().toStdString();
    const int row = ListBox1->ItemIndex();
    std::string error;
    bool copied = false;
    if (FileList.IsFileRow(row)) {
        const std::string source = JoinPath(Settings.DirPath, FileList.EntryName(row));
        const std::string target =
            CopyTargetPath(Settings.DirPath, typed, Settings.ALLFiles == "Y", Settings.Mask);
        copied = CopyFileSafely(source, target, &error);
    }
    CommandLineDone();
    if (copied) {
        SetMessage(QStringLiteral("ファイルコピー完了"));
    } else if (!error.empty()) {
        // Said, not silent: a failed copy that reported success would be trusted.
        ShowRefusal(this,
                    QStringLiteral("ファイルをコピーできませんでした。\n") + ShownText(error));
    }
    Timer1->start(1000);
    ListBox1->setEnabled(true);
}

void TForm1::ChangeToTypedDirectory() {
    PendingDirectory = ResolveTypedPath(CommandLine->Path(), Settings.DirPath, DefaultDirPath());
    CommandLine->Clear();
    std::error_code ec;
    if (PendingDirectory == "/" || std::filesystem::is_directory(PendingDirectory, ec)) {
        Settings.DirPath = PendingDirectory;
    } else {
        const QString question = QStringLiteral("ディレクトリが有りません。\n") +
                                 ShownText(PendingDirectory) + QStringLiteral("を作成しますか？");
        if (AskCreateDirectory(this, PendingDirectory, question, &LastAnswer) ==
            CreateDirectoryOutcome::Created)
            Settings.DirPath = PendingDirectory;
    }
    CommandLineDone();
    SetMessage(QString());
    ListBox1->setFocus();
}

void TForm1::ChangeToTypedMask() {
    const std::string typed = CommandLine->Text().toStdString();
    std::optional<std::string> mask = MaskFromTyped(typed);
    if (!mask) {
        ShowBox(this, {BoxIcon::None,
                       BoxButtons::Ok,
                       QStringLiteral("確認"),
                       QString::fromStdString(RefusedMaskText(typed)),
                       {}});
        CommandLine->Clear();
        CommandLine->Focus();
        return;
    }
    Settings.Mask = *mask;
    CommandLineDone();
    SetMessage(QString());
    ListBox1->setFocus();
}
