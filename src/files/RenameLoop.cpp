#include "files/RenameLoop.h"

#include "files/Listing.h"
#include "platform/Paths.h"
#include "settings/Settings.h"

#include <cerrno>

namespace {

enum class Step { Renamed, Unchanged, Failed };

// old to new inside the working directory; an empty or unchanged name does nothing.
Step RenameOne(const std::string& dirPath, const std::string& oldName, const std::string& newName,
               EntryRenamer& renamer, std::vector<RenameFailure>& failures) {
    if (newName.empty() || newName == oldName)
        return Step::Unchanged;
    if (!IsUsableName(newName)) {
        failures.push_back({oldName, newName, {RenameStatus::Failed, EINVAL}});
        return Step::Failed;
    }
    RenameOutcome outcome = renamer.Rename(JoinPath(dirPath, oldName), JoinPath(dirPath, newName));
    if (outcome.status == RenameStatus::Renamed)
        return Step::Renamed;
    failures.push_back({oldName, newName, outcome});
    return Step::Failed;
}

void RenameMarked(FileListModel& model, const TSettings& settings, EntryRenamer& renamer,
                  RenameHost& host) {
    std::optional<RenameKind> kind = host.AskKindForMarked();
    if (!kind)
        return;
    std::vector<RenameFailure> failures;
    if (*kind != RenameKind::AsTyped) {
        for (int row : model.marks.Rows()) {
            if (!model.IsFileRow(row))
                continue;
            FileEntry& entry = model.files[static_cast<size_t>(model.RowToFileIndex(row))];
            host.MakeCurrent(row);
            std::optional<std::string> newName = *kind == RenameKind::OneByOne
                                                     ? host.AskNewName(entry.name)
                                                     : ConvertName(*kind, entry.name);
            if (newName && RenameOne(settings.DirPath, entry.name, *newName, renamer, failures) ==
                               Step::Renamed) {
                entry.name = *newName;
                model.rows[static_cast<size_t>(row)] = FileRowText(settings, entry, true);
                host.RowChanged(row);
            }
            host.Wait(kRenamePauseMs);
        }
    }
    model.renameRunning = false;
    if (!failures.empty())
        host.ReportFailures(failures);
    host.Relist();
}

void RenameCurrent(FileListModel& model, const TSettings& settings, int row, EntryRenamer& renamer,
                   RenameHost& host) {
    const std::string oldName = model.EntryName(row);
    std::optional<std::string> newName = host.AskNewName(oldName);
    if (!newName) {
        model.renameRunning = false;
        return;
    }
    std::vector<RenameFailure> failures;
    bool renamed =
        RenameOne(settings.DirPath, oldName, *newName, renamer, failures) == Step::Renamed;
    model.renameRunning = false;
    if (!failures.empty())
        host.ReportFailures(failures);
    // The entry stays current under whichever name it now has.
    model.renamedName = renamed ? *newName : oldName;
    host.Relist();
}

} // namespace

void RenameEntries(FileListModel& model, const TSettings& settings, int currentRow,
                   EntryRenamer& renamer, RenameHost& host) {
    RowKind kind = model.KindOf(currentRow);
    if (kind == RowKind::None || kind == RowKind::Parent)
        return;
    // The listing waits until the loop is over (a folder watch fires meanwhile).
    model.renameRunning = true;
    if (model.marks.Count() > 0)
        RenameMarked(model, settings, renamer, host);
    else
        RenameCurrent(model, settings, currentRow, renamer, host);
    model.renameRunning = false;
}
