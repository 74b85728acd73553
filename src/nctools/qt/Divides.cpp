#include "nctools/qt/Divides.h"

#include "files/HistoryList.h"
#include "files/TextDocument.h"
#include "files/qt/CreateDirectoryQuestion.h"
#include "files/qt/HistoryCombo.h"
#include "files/qt/TransferDialogs.h"
#include "nctools/SplitByProgram.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/ButtonKeys.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ScreenSaver.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace {

// "/" separates folders here, so "\" takes its place among the refused characters.
const QString kRefused = QStringLiteral("\\,;*?<>|.");
const QString kRefusedText = QStringLiteral("この文字はフォルダー名に使えません。\n\\:,;*?<>|.");
// The window is repainted at most this often during a split.
constexpr qint64 kPaintIntervalMs = 40;
// A program line of a binary file can be a megabyte long; the list shows its start.
constexpr size_t kShownLineBytes = 4096;

} // namespace

TDividesForm::TDividesForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ｏ番号毎分割"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(312, 318);
    MainMenu1 = new QMenuBar(this);
    QMenu* menu = MainMenu1->addMenu(QStringLiteral("分割ｵﾌﾟｼｮﾝ"));
    op_f = menu->addAction(QStringLiteral("先頭に％付加"));
    op_b = menu->addAction(QStringLiteral("末尾に％付加"));
    op_n = menu->addAction(QStringLiteral("分割名に連番付加"));
    for (QAction* entry : {op_f, op_b, op_n}) {
        entry->setCheckable(true);
        connect(entry, &QAction::triggered, this, [this, entry] { OptionClick(entry); });
    }
    // As high as the font needs: a lower bar hides its one menu behind the "»" button.
    MainMenu1->setGeometry(0, 0, 312, MainMenu1->sizeHint().height());
    Label1 = new QLabel(this);
    Label1->setGeometry(8, 28, 296, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 46, 296, 130);
    ListBox1->setUniformItemSizes(true); // a file of many thousand programs stays fast
    Label2 = new QLabel(QStringLiteral("保存先"), this);
    Label2->setGeometry(8, 182, 100, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(8, 200, 266, 24);
    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setGeometry(278, 200, 26, 24);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(8, 232, 296, 18);
    ProgressBar1->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(64, 262, 84, 28);
    Button2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Button2->setGeometry(164, 262, 84, 28);
    // The destination field handles Enter itself.
    PressOnEnter({Button1, Button2, Button3});
    history_ = new HistoryCombo(ComboBox1, kRefused, kRefusedText, [this] { Button1Click(); });
    historyFile = ProgramFolder() / "Path.lst";
    optionsFile = SplitOptionsPath();

    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, &TDividesForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TDividesForm::Button3Click);
}

void TDividesForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TDividesForm::FormShow() {
    options_ = LoadSplitOptions(optionsFile);
    if (QWidget* main = parentWidget()) {
        const QRect r = main->geometry();
        move(r.left() + r.width() / 2 - width() / 2, r.top() + r.height() / 2 - height() / 2);
    }
    std::vector<std::string> entries;
    const bool listed = LoadHistory(historyFile, entries, HistoryKind::Paths);
    history_->SetEntries(listed ? entries : std::vector<std::string>{});
    history_->SetText(listed && !entries.empty() ? entries.front() : DirPath);
    Label1->setText(ShownText(SourceName));
    ProgressBar1->setRange(0, Source ? static_cast<int>(Source->LineCount()) : 0);
    ProgressBar1->setValue(0);
    Button1->setEnabled(true);
    ComboBox1->setFocus();
    ShowChecks();
}

void TDividesForm::ShowChecks() {
    op_f->setChecked(options_.F_Set);
    op_b->setChecked(options_.B_Set);
    op_n->setChecked(options_.N_Set);
}

void TDividesForm::OptionClick(QAction* entry) {
    bool& flag = entry == op_f ? options_.F_Set : (entry == op_b ? options_.B_Set : options_.N_Set);
    flag = !flag;
    ShowChecks();
}

void TDividesForm::ComboBox1Change() {
    Button1->setEnabled(!running_ && !ComboBox1->currentText().isEmpty());
}

void TDividesForm::Button3Click() {
    const QString start = QFile::decodeName(QByteArray::fromStdString(DirPath));
    const QString title = QStringLiteral("現ﾃﾞｨﾚｸﾄﾘ ") + ShownText(DirPath);
    const QString chosen = browseForTest ? browseForTest(title, start)
                                         : QFileDialog::getExistingDirectory(this, title, start);
    history_->SetText(chosen.isEmpty() ? DirPath : QFile::encodeName(chosen).toStdString());
    ComboBox1Change();
    ComboBox1->setFocus();
}

std::string TDividesForm::PrepareDestination(const std::string& typed) {
    // The root plays the drive ("C:"), taken without a check; a final separator goes.
    const std::string dest = ResolveTypedPath(typed, DirPath, DefaultDirPath());
    std::error_code ec;
    if (dest == "/" || std::filesystem::is_directory(dest, ec))
        return dest;
    switch (AskCreateDirectory(this, dest)) {
    case CreateDirectoryOutcome::Created:
        return dest;
    case CreateDirectoryOutcome::Declined: {
        const std::vector<std::string> entries = history_->Entries();
        history_->SetText(entries.empty() ? std::string() : entries.front());
        Button1->setEnabled(true);
        return {};
    }
    case CreateDirectoryOutcome::Failed:
        ComboBox1->setFocus();
        return {};
    }
    return {};
}

void TDividesForm::Button1Click() {
    if (running_)
        return; // Enter in the field during a split starts no second one
    ScreenSaver::Suspend();
    const std::string typed = history_->Text();
    if (typed.empty()) {
        ComboBox1->setFocus();
        return;
    }
    std::vector<std::string> entries = history_->Entries();
    UpdateHistory(entries, typed);
    history_->SetEntries(entries);
    const std::string dest = PrepareDestination(typed);
    if (!dest.empty())
        RunSplit(dest);
}

void TDividesForm::ShowFound() {
    if (found_.isEmpty())
        return;
    ListBox1->addItems(found_);
    found_.clear();
    ListBox1->setCurrentRow(ListBox1->count() - 1);
}

void TDividesForm::KeepPainted() {
    if (painted_.isValid() && painted_.elapsed() < kPaintIntervalMs)
        return;
    ShowFound();
    QApplication::processEvents();
    painted_.restart();
}

void TDividesForm::RunSplit(const std::string& dest) {
    static const TextDocument kEmpty;
    Button1->setEnabled(false);
    running_ = true;
    SplitCallbacks callbacks;
    // Events are processed only with the progress, between two lines: the source
    // line in hand stays valid. The lines found reach the list when it is painted,
    // since selecting each one in a list of many thousands costs more than its file.
    callbacks.programFound = [this](std::string_view line, int) {
        found_.append(ShownText(line.substr(0, kShownLineBytes)));
    };
    callbacks.progress = [this](size_t done) {
        ProgressBar1->setValue(static_cast<int>(done));
        KeepPainted();
    };
    painted_.invalidate();
    const SplitResult result = SplitByProgram(Source ? *Source : kEmpty, dest, options_,
                                              MaskExtension(Mask), callbacks, SourcePath);
    running_ = false;
    ShowFound();
    switch (result.status) {
    case SplitStatus::NoPrograms:
        ShowNothingToDo(this, QStringLiteral("プログラム番号が見つかりませんでした。。"));
        break;
    case SplitStatus::Done:
        if (relist)
            relist();
        ShowCompletion(this, QStringLiteral("Ｏ番号毎に分割完了しました。"));
        break;
    case SplitStatus::WriteFailed:
    case SplitStatus::Cancelled:
        // The files already written stay whole; the dialog stays open for another try.
        if (relist && !result.files.empty())
            relist();
        ShowFailure(this, QStringLiteral("分割ファイルを書き込めませんでした。\n") +
                              ShownText(result.error));
        ComboBox1Change();
        if (!closeAfterRun_)
            return;
        break;
    }
    done(QDialog::Accepted);
}

void TDividesForm::done(int result) {
    if (running_) {
        closeAfterRun_ = true; // the split goes on; the dialog closes at its end
        return;
    }
    closeAfterRun_ = false;
    std::string error;
    if (!SaveSplitOptions(optionsFile, options_, &error))
        ShowRefusal(this,
                    QStringLiteral("分割ｵﾌﾟｼｮﾝを保存できませんでした。\n") + ShownText(error));
    if (restoreLegend)
        restoreLegend();
    if (!SaveHistory(historyFile, history_->Entries(), &error))
        ShowRefusal(this, QStringLiteral("履歴を保存できませんでした。\n") + ShownText(error));
    ScreenSaver::Allow();
    QDialog::done(result);
}
