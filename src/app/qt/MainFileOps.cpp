// The delete, copy and move commands of the file list, the collection of marked
// files for them, TransferFiles, and the join key up to its dialog.
#include "app/qt/Mainunit1.h"

#include "files/MarkedFiles.h"
#include "files/qt/FileListBox.h"
#include "files/qt/PlusCopy.h"
#include "files/qt/TransferDialogs.h"
#include "files/qt/Trash.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "ui/CommandLinePanel.h"
#include "ui/TransferPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace {

const QString kSelectFile = QStringLiteral("ファイルを選択してください。!!");
// A delete question lists at most this many names.
constexpr size_t kNamesInQuestion = 10;

QString DeleteQuestion(const std::vector<std::string>& paths) {
    if (paths.size() == 1)
        return QStringLiteral("'%1' をごみ箱に移動しますか？")
            .arg(ShownText(std::filesystem::path(paths[0]).filename().string()));
    QString text = QStringLiteral("これらの %1 個の項目をごみ箱に移動しますか？").arg(paths.size());
    for (size_t i = 0; i < paths.size() && i < kNamesInQuestion; ++i)
        text +=
            QStringLiteral("\n") + ShownText(std::filesystem::path(paths[i]).filename().string());
    if (paths.size() > kNamesInQuestion)
        text += QStringLiteral("\n… ほか %1 個").arg(paths.size() - kNamesInQuestion);
    return text;
}

} // namespace

TPlusCopyForm* TForm1::CopyForm() {
    if (!PlusCopyForm) {
        PlusCopyForm = new TPlusCopyForm(this);
        PlusCopyForm->transferFiles = [this](const std::string& sources, const std::string& dest) {
            return TransferFiles(sources, dest);
        };
        PlusCopyForm->restoreLegend = [this] { ShowNormalLegend(); };
    }
    PlusCopyForm->DirPath = Settings.DirPath;
    PlusCopyForm->CopyFlag = CopyFlag == 1;
    return PlusCopyForm;
}

void TForm1::CompactMarks() {
    FileList.marks.Compact();
}

int TForm1::CollectMarked(int target) {
    std::vector<std::string> names = CollectMarkedNames(FileList);
    ListBox1->RowsChanged();
    if (target == 0) {
        QStringList shown;
        for (const std::string& name : names)
            shown.append(ShownText(name));
        TransferPanel->SetQueue(shown);
        TransferPanel->HighlightQueueEntry(0);
    } else if (target == 1) {
        JoinNames = names;
    } else if (target == 2) {
        TPlusCopyForm* form = CopyForm();
        form->ListBox1->clear();
        form->ComboBox1->clear();
        for (const std::string& name : names)
            form->AddFile(name);
        form->ListBox1->setCurrentRow(0);
    }
    return static_cast<int>(names.size());
}

void TForm1::ClearMarkList() {
    FileList.marks.Clear();
    ListBox1->RowsChanged();
}

void TForm1::CopyFiles() {
    CopyFlag = 1;
    CopyOrMove();
}

void TForm1::MoveFiles() {
    CopyFlag = 0;
    CopyOrMove();
}

void TForm1::CopyOrMove() {
    if (FileList.marks.Count() > 0) {
        CompactMarks();
        CollectMarked(2);
        CopyForm()->exec();
        ClearMarkList();
        return;
    }
    const int row = ListBox1->ItemIndex();
    const RowKind kind = FileList.KindOf(row);
    if (CopyFlag == 1 && kind == RowKind::File) {
        CommandLine->Prompt(Edit1Mode::CopyAs);
        ListBox1->setEnabled(false);
        SetMessage(QStringLiteral("コピー元 ") + ShownText(FileList.EntryName(row)) +
                   QStringLiteral(" -->>>コピー後 "));
        return;
    }
    if (kind == RowKind::None) {
        SetMessage(kSelectFile);
        ListBox1->setEnabled(true);
        ListBox1->setFocus();
        return;
    }
    // A folder (copy or move) or a file (move) goes through the dialog alone.
    TPlusCopyForm* form = CopyForm();
    form->ListBox1->clear();
    form->ComboBox1->clear();
    if (kind == RowKind::Parent)
        return;
    form->AddFile(FileList.EntryName(row));
    form->ListBox1->setCurrentRow(0);
    form->exec();
}

void TForm1::DeleteFiles() {
    TargetPath.clear();
    const int row = ListBox1->ItemIndex();
    if (row < 0) {
        SetMessage(kSelectFile);
        ListBox1->setFocus();
        return;
    }
    const bool marked = FileList.marks.Count() > 0;
    std::vector<std::string> paths = DeleteTargets(FileList, row, Settings.DirPath);
    if (marked) {
        FileList.marks.multiSend = false;
        ListBox1->RowsChanged();
    }
    if (paths.empty())
        return;
    LastAnswer = ShowBox(this, {BoxIcon::Question,
                                BoxButtons::YesNo,
                                QStringLiteral("ファイルの削除の確認"),
                                DeleteQuestion(paths),
                                {}});
    if (LastAnswer != kAnswerYes)
        return;
    std::vector<std::string> failures;
    for (const std::string& path : paths) {
        std::string error;
        if (!MoveToTrash(path, &error))
            failures.push_back(error);
    }
    TargetPath.clear();
    if (!failures.empty())
        ShowRefusal(this, FailureText(QStringLiteral("削除できませんでした。"), failures));
    ListDirectory(false, false, false);
    Timer1->start(1000);
}

bool TForm1::TransferFiles(const std::string& sources, const std::string& destDir) {
    return TransferPathList(SplitSourceList(sources), destDir);
}

bool TForm1::TransferPathList(const std::vector<std::string>& sources, const std::string& destDir) {
    const bool copy = CopyFlag == 1;
    QApplication::processEvents();
    TransferOutcome outcome = TransferWithDialogs(this, sources, destDir, copy);
    if (outcome.cancelled)
        return false;
    if (!copy)
        ListDirectory(false, true, false);
    if (!outcome.failures.empty()) {
        ShowRefusal(this, FailureText(copy ? QStringLiteral("コピーできませんでした。")
                                           : QStringLiteral("移動できませんでした。"),
                                      outcome.failures));
        return true;
    }
    ShowCompletion(this, copy ? QStringLiteral("ファイルをコピーしました。")
                              : QStringLiteral("ファイルを移動しました。"));
    return true;
}

void TForm1::JoinFiles() {
    if (FileList.marks.Count() == 0)
        return;
    CompactMarks();
    if (CollectMarked(1) > 1)
        OpenJoinDialog();
    else
        ShowRefusal(this, QStringLiteral("選択されたﾌｧｲﾙが複数ありません。"));
    ClearMarkList();
}
