// The doubling command (H): the selected file into the data view, the "_2" name,
// and the doubling dialog shown modally over the main window.
#include "app/qt/Mainunit1.h"

#include "files/FileLoading.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "nctools/AxisDoubling.h"
#include "nctools/qt/Bai2.h"
#include "platform/TextCodec.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <memory>

namespace {

class TMainBai2Host : public TBai2Host {
public:
    explicit TMainBai2Host(MainWindowServices& window) : window_(window) {}
    DataView& View() override { return window_.View(); }
    void Relist() override { window_.ListDirectory(false, true, false); }
    void RestoreLegend() override { window_.ShowNormalLegend(); }

private:
    MainWindowServices& window_;
};

} // namespace

TBai2Form* TForm1::DoublingForm() {
    if (!Bai2Form) {
        // The host lives as long as the dialog, which the window owns.
        auto* host = new TMainBai2Host(*this);
        Bai2Form = new TBai2Form(*host, this);
        connect(Bai2Form, &QObject::destroyed, [host] { delete host; });
    }
    return Bai2Form;
}

// The dispatcher has checked that the current row is a file row.
void TForm1::DoubleAxis() {
    const int row = ListBox1->ItemIndex();
    const std::string name = FileList.files[size_t(FileList.RowToFileIndex(row))].name;
    // Converting a view that does not hold the file would write an empty output and
    // report it done: a file gone since the listing is refused, and a "No" to the
    // format question ends the command.
    uint64_t size = 0;
    if (!LoadFileForCommand(name, &size))
        return;
    if (size > 0 && RichEdit1->LineCount() == 0)
        return;
    TBai2Form* form = DoublingForm();
    form->Prepare(Settings.DirPath, name, DoubledFileName(name, Settings.Mask));
    RememberWindowRect();
    form->exec();
}
