// The file information (I), find (F) and rename (R) commands of the file list: what
// the main window prepares before each dialog, and the rename loop's questions and
// pauses (files/RenameLoop.h).
#include "app/qt/Mainunit1.h"

#include "files/EntryInfo.h"
#include "files/RenameLoop.h"
#include "files/qt/FileInfo.h"
#include "files/qt/FileListBox.h"
#include "files/qt/Find.h"
#include "files/qt/Rname.h"
#include "files/qt/Rnamea.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Paths.h"
#include "platform/RenameEntry.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QComboBox>
#include <QEventLoop>
#include <QTimer>

#include <cstring>

namespace {

// A box names at most this many entries that kept their names.
constexpr size_t kListedFailures = 10;

QString FailureLine(const RenameFailure& failure) {
    if (failure.outcome.status == RenameStatus::TargetExists)
        return QStringLiteral("「%1」は既にあります。「%2」はそのままです。")
            .arg(ShownText(failure.newName), ShownText(failure.name));
    return QStringLiteral("%1 → %2: %3")
        .arg(ShownText(failure.name), ShownText(failure.newName),
             QString::fromLocal8Bit(std::strerror(failure.outcome.error)));
}

class TMainRenameHost : public RenameHost {
public:
    explicit TMainRenameHost(TForm1& form) : form_(form) {}

    std::optional<RenameKind> AskKindForMarked() override {
        form_.RememberWindowRect();
        TRNameAForm* dialog = form_.RNameAForm();
        dialog->CentreRect = form_.RememberedRect;
        if (dialog->exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog->Kind;
    }
    std::optional<std::string> AskNewName(const std::string& currentName) override {
        form_.RememberWindowRect();
        TRNameForm* dialog = form_.RNameForm();
        dialog->CurrentName = currentName;
        dialog->CentreRect = form_.RememberedRect;
        if (dialog->exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog->ResultName;
    }
    void MakeCurrent(int row) override {
        form_.ListBox1->SetItemIndex(row);
        form_.ShowRowDetails(row);
    }
    void RowChanged(int row) override { form_.ListBox1->RowChanged(row); }
    void Wait(int milliseconds) override {
        if (form_.renamePause)
            return form_.renamePause(milliseconds);
        // The window stays painted; the list is disabled, so no key starts a command.
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    void ReportFailures(const std::vector<RenameFailure>& failures) override {
        QString text = QStringLiteral("名前を変更できませんでした。");
        for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
            text += QStringLiteral("\n") + FailureLine(failures[i]);
        if (failures.size() > kListedFailures)
            text += QStringLiteral("\n… ほか %1 件").arg(failures.size() - kListedFailures);
        ShowRefusal(&form_, text);
    }
    void Relist() override { form_.ListDirectory(false, false, false); }

private:
    TForm1& form_;
};

template <typename Dialog>
Dialog* DialogNamed(TForm1& form, const char* name) {
    if (auto* dialog = form.findChild<Dialog*>(name, Qt::FindDirectChildrenOnly))
        return dialog;
    auto* dialog = new Dialog(&form);
    dialog->setObjectName(name);
    return dialog;
}

} // namespace

TFileInfoForm* TForm1::FileInfoForm() {
    return DialogNamed<TFileInfoForm>(*this, "FileInfoForm");
}

TFindForm* TForm1::FindForm() {
    TFindForm* dialog = findChild<TFindForm*>("FindForm", Qt::FindDirectChildrenOnly);
    if (!dialog) {
        dialog = DialogNamed<TFindForm>(*this, "FindForm");
        dialog->listNarrowed = [this](const std::string& pattern) {
            FileList.searchPattern = pattern;
            ListDirectory(true, false, false);
        };
        dialog->restoreLegend = [this] { ShowNormalLegend(); };
    }
    return dialog;
}

TRNameForm* TForm1::RNameForm() {
    return DialogNamed<TRNameForm>(*this, "RNameForm");
}

TRNameAForm* TForm1::RNameAForm() {
    return DialogNamed<TRNameAForm>(*this, "RNameAForm");
}

void TForm1::ShowFileInfo() {
    const int row = ListBox1->ItemIndex();
    RowKind kind = FileList.KindOf(row);
    if (kind != RowKind::Folder && kind != RowKind::File)
        return;
    const std::string name = FileList.EntryName(row);
    // An entry gone since the listing has nothing to show.
    if (int error = ReadEntryInfo(JoinPath(Settings.DirPath, name)).error) {
        ShowFailure(this, ShownText(name) + QStringLiteral("の情報を読み込めません。\n") +
                              QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    RememberWindowRect();
    TFileInfoForm* dialog = FileInfoForm();
    dialog->DirPath = Settings.DirPath;
    dialog->EntryName = name;
    dialog->CentreRect = RememberedRect;
    dialog->relist = [this, name] {
        // The entry stays current, a folder as well as a file.
        FileList.renamedName = name;
        ListDirectory(false, true, false);
    };
    dialog->exec();
}

void TForm1::FindFiles() {
    TFindForm* dialog = FindForm();
    dialog->DirPath = Settings.DirPath;
    dialog->Mask = Settings.Mask;
    dialog->ComboBox1->setEditText(QString());
    dialog->exec();
}

void TForm1::RenameFiles() {
    TMainRenameHost host(*this);
    const bool listEnabled = ListBox1->isEnabled();
    ListBox1->setEnabled(false);
    RenameEntries(FileList, Settings, ListBox1->ItemIndex(), SystemRenamer(), host);
    ListBox1->setEnabled(listEnabled);
    ListBox1->setFocus();
}
