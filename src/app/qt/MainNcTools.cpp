// The split (B, Shift+F9) and join (K, Shift+F4) commands of the main window: the
// file goes into the data view, the dialogs get the working directory, the mask and
// the window's loader, and the list is read again after they wrote files.
#include "app/qt/Mainunit1.h"

#include "files/FileLoading.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "files/qt/HistoryCombo.h"
#include "nctools/qt/Divides.h"
#include "nctools/qt/Plus.h"
#include "platform/Paths.h"

#include <QListWidget>

TDividesForm* TForm1::SplitForm() {
    if (!DividesForm) {
        DividesForm = new TDividesForm(this);
        DividesForm->relist = [this] { ListDirectory(false, true, false); };
        DividesForm->restoreLegend = [this] { ShowNormalLegend(); };
    }
    DividesForm->DirPath = Settings.DirPath;
    DividesForm->Mask = Settings.Mask;
    return DividesForm;
}

TPlusForm* TForm1::JoinForm() {
    if (!PlusForm) {
        PlusForm = new TPlusForm(this);
        PlusForm->loadFile = [this](const std::string& name) -> const TextDocument* {
            if (LoadFileIntoView(name) == kUnknownFileSize)
                return nullptr;
            return &RichEdit1->Document();
        };
        PlusForm->relist = [this] { ListDirectory(false, true, false); };
        PlusForm->restoreLegend = [this] { ShowNormalLegend(); };
    }
    PlusForm->DirPath = Settings.DirPath;
    PlusForm->Mask = Settings.Mask;
    return PlusForm;
}

// The dispatcher has checked that the current row is a file row.
void TForm1::SplitFile() {
    const std::string name = FileList.EntryName(ListBox1->ItemIndex());
    // A file that cannot be read has no programs to find.
    if (!LoadFileForCommand(name))
        return;
    TDividesForm* form = SplitForm();
    form->Source = &RichEdit1->Document();
    form->SourceName = name;
    form->SourcePath = JoinPath(Settings.DirPath, name);
    form->ListBox1->clear();
    form->exec();
}

void TForm1::OpenJoinDialog() {
    TPlusForm* form = JoinForm();
    form->SetFiles(JoinNames);
    form->History()->SetText({});
    form->exec();
}
