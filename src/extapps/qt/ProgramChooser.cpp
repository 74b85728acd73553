#include "extapps/qt/ProgramChooser.h"

#include "extapps/qt/AppDialogHooks.h"

#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace {

// Keeps the folders and, under the first filter, only the executable files.
class ExecutableFilter : public QSortFilterProxyModel {
public:
    explicit ExecutableFilter(const ProgramChooser& chooser) : chooser_(chooser) {}

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        return chooser_.Shows(files->fileInfo(files->index(row, 0, parent)));
    }

private:
    const ProgramChooser& chooser_;
};

} // namespace

const QString ProgramChooser::kProgramsFilter = QStringLiteral("実行ﾌｧｲﾙ (*)");
const QString ProgramChooser::kAllFilter = QStringLiteral("すべて表示 (*)");

ProgramChooser::ProgramChooser(QWidget* parent) : QFileDialog(parent) {
    setWindowTitle(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ設定"));
    // The proxy needs Qt's own dialog; the native one cannot filter on permissions.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters({kProgramsFilter, kAllFilter});
    selectNameFilter(kProgramsFilter);
    setDirectory(QStringLiteral("/usr/bin"));
    auto* filter = new ExecutableFilter(*this);
    setProxyModel(filter);
    connect(this, &QFileDialog::filterSelected, filter, [filter] { filter->invalidate(); });
}

bool ProgramChooser::Shows(const QFileInfo& info) const {
    // With the details hidden the dialog names its filter without the pattern.
    const QString shown = selectedNameFilter();
    if (info.isDir() || shown.isEmpty() || !kProgramsFilter.startsWith(shown))
        return true;
    return info.isFile() && info.isExecutable();
}

std::string ProgramChooser::Choose(QWidget* parent) {
    ProgramChooser chooser(parent);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(chooser.selectedFiles().front()).toStdString();
}

std::string ChooseProgram(const AppDialogHooks& hooks, QWidget* parent) {
    return hooks.chooseProgram ? hooks.chooseProgram(parent) : ProgramChooser::Choose(parent);
}
