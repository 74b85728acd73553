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
#include "ui/StatusPanels.h"

#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// Hands Edit1's key presses to the window's handlers before the field sees them.
class Edit1Keys : public QObject {
public:
    explicit Edit1Keys(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* press = static_cast<QKeyEvent*>(event);
        int key = press->key();
        form_->Edit1KeyDown(key);
        if (key == 0)
            return true;
        QChar ch = (key == Qt::Key_Return || key == Qt::Key_Enter) ? QChar('\r')
                   : press->text().isEmpty()                       ? QChar(0)
                                                                   : press->text().at(0);
        if (ch.isNull() || (!ch.isPrint() && ch != QChar('\r')))
            return false;
        form_->Edit1KeyPress(ch);
        return ch.isNull() || ch == QChar('\r');
    }

private:
    TForm1* form_;
};

} // namespace

void TForm1::BindFileCommands() {
    Edit1->installEventFilter(new Edit1Keys(this));
    RichEdit1->SetKeyDownHandler(
        [this](QKeyEvent* event) { return RichEdit1KeyDown(event->key()); });
    // Text committed by an input method or pasted passes no key filter.
    connect(Edit1, &QLineEdit::textEdited, this, [this] { CheckEdit1Text(); });
}

void TForm1::CheckEdit1Text() {
    const bool allFiles = Settings.ALLFiles == "Y";
    const std::u32string text = Edit1->text().toStdU32String();
    std::u32string kept;
    std::optional<std::string> refusal;
    for (char32_t c : text) {
        if (auto refused = RefusedCharacterText(CommandLineMode, allFiles, c))
            refusal = refused;
        else
            kept += c;
    }
    if (!refusal)
        return;
    Edit1->setText(QString::fromStdU32String(kept));
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
    CommandLineMode = Edit1Mode::Directory;
    Edit1->setEnabled(true);
    ListBox1->setEnabled(false);
    SetMessage(QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(Settings.DirPath) +
               QStringLiteral(" -->>>変更後 "));
    ShowPathInField(Edit1, startPath);
    Edit1->setFocus();
}

void TForm1::ChangeMask() {
    CommandLineMode = Edit1Mode::Mask;
    ListBox1->setEnabled(false);
    Edit1->setEnabled(true);
    SetMessage(QStringLiteral("拡張子変更 ") + QString::fromStdString(Settings.Mask) +
               QStringLiteral(" -->>>"));
    Edit1->setFocus();
}

void TForm1::Edit1KeyPress(QChar& ch) {
    if (ch != QChar('\r')) {
        if (auto refusal =
                RefusedCharacterText(CommandLineMode, Settings.ALLFiles == "Y", ch.unicode())) {
            ch = QChar(0);
            ShowRefusal(this, QString::fromStdString(*refusal));
        }
        return;
    }
    if (Edit1->text().isEmpty())
        return;
    switch (CommandLineMode) {
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
        Edit1->clear();
        AbortToIdle();
        Edit1->setEnabled(false);
        for (int panel : {4, 5, 6})
            SetStatusPanel(panel, QString());
    } else if (key == Qt::Key_F10) {
        key = 0;
        close();
    }
}

void TForm1::CommandLineDone() {
    Edit1->clear();
    ListDirectory(false, false, false);
    ListBox1->setEnabled(true);
    Edit1->setEnabled(false);
}

void TForm1::CopyUnderNewName() {
    const std::string typed = Edit1->text().toStdString();
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
    PendingDirectory = ResolveTypedPath(PathInField(Edit1), Settings.DirPath, DefaultDirPath());
    Edit1->clear();
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
    const std::string typed = Edit1->text().toStdString();
    std::optional<std::string> mask = MaskFromTyped(typed);
    if (!mask) {
        ShowBox(this, {BoxIcon::None,
                       BoxButtons::Ok,
                       QStringLiteral("Dravik"),
                       QString::fromStdString(RefusedMaskText(typed)),
                       {}});
        Edit1->clear();
        Edit1->setFocus();
        return;
    }
    Settings.Mask = *mask;
    CommandLineDone();
    SetMessage(QString());
    ListBox1->setFocus();
}
