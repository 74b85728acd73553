// Drag and drop on the file list: rows dragged inside the list are moved into the
// folder (or parent) row under the pointer, files dropped from the desktop are
// copied into the working directory.
#include "app/qt/Mainunit1.h"

#include "files/MarkedFiles.h"
#include "files/qt/DragCursors.h"
#include "files/qt/FileListBox.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QFile>
#include <QLabel>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const QString kDropTarget = QStringLiteral(" ﾄﾞﾗｯｸﾞ先のﾃﾞｨﾚｸﾄﾘ ");

} // namespace

void TForm1::AcceptDroppedFiles() {
    // "DRAGMOVE" for one entry, the multi-drag cursor while files are marked.
    ListBox1->EnableDragAndDrop(DragMoveCursor(), MultiDragCursor());
    ListBox1->onDragOver = [this](const QPoint& at) { return ListBox1DragOver(at.x(), at.y()); };
    ListBox1->onDragDrop = [this](const QPoint& at) { ListBox1DragDrop(at.x(), at.y()); };
    ListBox1->onDragLeave = [this] { Label3->clear(); };
    ListBox1->onDropUrls = [this](const QList<QUrl>& urls) { DropFromShell(urls); };
}

bool TForm1::ListBox1DragOver(int x, int y) {
    const int dragged = ListBox1->ItemIndex();
    if (FileList.parentRows > 0 && dragged == 0)
        return false; // the parent row is never dragged
    const int row = ListBox1->RowAt(QPoint(x, y));
    const RowKind kind = FileList.KindOf(row);
    // A folder dragged onto its own row would be moved into itself.
    const bool ontoItself = row == dragged && FileList.marks.Count() == 0;
    if (kind == RowKind::Parent) {
        PendingDirectory = ParentPath(Settings.DirPath);
    } else if (kind == RowKind::Folder && !ontoItself) {
        PendingDirectory = JoinPath(Settings.DirPath, FileList.EntryName(row));
    } else {
        Label3->clear();
        return false;
    }
    Label3->setText(kDropTarget + ShownText(PendingDirectory));
    return true;
}

void TForm1::ListBox1DragDrop(int, int) {
    Label3->clear();
    CopyFlag = 0; // a drag always moves
    std::vector<std::string> sources;
    const bool marked = FileList.marks.Count() > 0;
    if (marked) {
        for (const std::string& name : CollectMarkedNames(FileList))
            sources.push_back(JoinPath(Settings.DirPath, name));
    } else {
        const int row = ListBox1->ItemIndex();
        const RowKind kind = FileList.KindOf(row);
        if (kind == RowKind::File || kind == RowKind::Folder)
            sources.push_back(JoinPath(Settings.DirPath, FileList.EntryName(row)));
    }
    if (!sources.empty())
        TransferPathList(sources, PendingDirectory);
    // After a cancel no listing empties the marks: the unmarked rows leave none.
    if (marked)
        ClearMarkList();
}

void TForm1::DropFromShell(const QList<QUrl>& urls) {
    std::vector<std::string> files;
    std::vector<std::string> failures;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            failures.push_back(url.toDisplayString().toStdString() +
                               ": ローカルのファイルではありません");
            continue;
        }
        // The bytes of the name as the file system holds them.
        const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            failures.push_back(path + ": " + std::strerror(errno));
            continue;
        }
        if (S_ISDIR(st.st_mode))
            continue; // folders are not copied
        files.push_back(path);
    }
    // The replace question decides about a file that stands there already; one
    // dropped onto its own folder is left as it is.
    const TransferOutcome outcome = TransferWithDialogs(this, files, Settings.DirPath, true);
    failures.insert(failures.end(), outcome.failures.begin(), outcome.failures.end());
    ListDirectory(false, false, false);
    if (!failures.empty())
        ShowRefusal(this, FailureText(QStringLiteral("コピーできませんでした。"), failures));
    if (outcome.cancelled)
        return AbortToIdle();
    SetMessage(QStringLiteral("ファイルコピー完了"));
    Timer1->start(1000);
    ListBox1->setEnabled(true);
}
