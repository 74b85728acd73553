// The viewer (F8, V) and the file loading that the send job, split, join and
// doubling share: a file of the working directory into the data view RichEdit1.
// The keys that close the viewer and the log view belong here too.
#include "app/qt/Mainunit1.h"

#include "app/qt/MainTransferHost.h"
#include "files/FileLoading.h"
#include "files/RowFormat.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/Paths.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"
#include "transfer/TransferHost.h"
#include "ui/TransferPanel.h"

#include <QKeyEvent>
#include <QTimer>

namespace {

const QString kFileView = QStringLiteral("ファイルビュー");

} // namespace

uint64_t TForm1::LoadFileIntoView(const std::string& name) {
    // A NUL that hides the rest of a program is asked about like an empty text:
    // sending or splitting half a program without a word would lose the rest.
    LoadedText loaded = LoadTextForView(JoinPath(Settings.DirPath, name), [this] {
        LastAnswer = ShowBoxAtCorner(this, {BoxIcon::Exclamation,
                                            BoxButtons::YesNo,
                                            QStringLiteral("警告"),
                                            FromUtf8(kFileFormatQuestion),
                                            {}});
        return LastAnswer == kAnswerYes;
    });
    RichEdit1->SetText(std::move(loaded.text));
    if (loaded.inPieces)
        RichEdit1->MoveCaretToStart();
    return loaded.size;
}

bool TForm1::LoadFileForCommand(const std::string& name, uint64_t* size) {
    const uint64_t loaded = LoadFileIntoView(name);
    if (size)
        *size = loaded;
    if (loaded != kUnknownFileSize)
        return true;
    ShowRefusal(this, QStringLiteral("ファイル %1 を読み込めません。").arg(DecodedText(name)));
    return false;
}

void TForm1::ViewFile() {
    const int row = ListBox1->ItemIndex();
    if (row < 0) {
        SetMessage(QStringLiteral("ファイルを選択してください。!!"));
        ListBox1->setEnabled(true);
        ListBox1->setFocus();
        return;
    }
    if (!FileList.IsFileRow(row))
        return;
    RichEdit1->SetReadOnly(true);
    ListBox1->setEnabled(false);
    TransferPanel->ShowForViewing();
    uint64_t size = 0;
    if (!LoadFileForCommand(FileList.EntryName(row), &size)) {
        TransferPanel->Hide();
        ListBox1->setEnabled(true);
        ListBox1->setFocus();
        return;
    }
    SetStatusPanel(2, QStringLiteral("ｻｲｽﾞ : ") + QString::fromStdString(FormatSize(size)));
    SetStatusPanel(3, kFileView);
    RichEdit1->setFocus();
}

bool TForm1::RichEdit1KeyDown(int key) {
    if (!TransferPanel->IsViewingOrLog())
        return false;
    if (key != Qt::Key_F3 && key != Qt::Key_Escape)
        return false;
    RichEdit1->Clear();
    TransferPanel->Hide();
    AbortToIdle();
    // The list takes the next key at once, not only after the return to idle.
    ListBox1->setFocus();
    SetStatusPanel(2, QString());
    // Consumed and let go of here, so the key never reaches the list.
    MainTransferHost(*this).ReleaseAbortKeys();
    return true;
}
