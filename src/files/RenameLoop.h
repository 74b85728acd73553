// The rename command of the file list: one entry under a name the operator types, or
// the marked files one after the other by the kind chosen for them. Renames never
// replace another entry (platform/RenameEntry.h); what could not be renamed is
// reported once at the end. The questions and the wait between files go through
// RenameHost, which the main window implements and tests fake.
#pragma once

#include "files/FileListModel.h"
#include "files/RenameKinds.h"
#include "platform/RenameEntry.h"

#include <optional>
#include <string>
#include <vector>

struct TSettings;

struct RenameFailure {
    std::string name;    // old name (bytes)
    std::string newName; // the name it should have got
    RenameOutcome outcome;
};

class RenameHost {
public:
    virtual ~RenameHost() = default;
    // The choice for marked files (TRNameAForm); nullopt on cancel.
    virtual std::optional<RenameKind> AskKindForMarked() = 0;
    // One new name for the entry (TRNameForm); nullopt on cancel.
    virtual std::optional<std::string> AskNewName(const std::string& currentName) = 0;
    virtual void MakeCurrent(int row) = 0;
    // The row's text was rewritten for its new name.
    virtual void RowChanged(int row) = 0;
    virtual void Wait(int milliseconds) = 0;
    virtual void ReportFailures(const std::vector<RenameFailure>& failures) = 0;
    // Lists the working directory again (the renamed entry, if any, is in
    // model.renamedName).
    virtual void Relist() = 0;
};

// Time between two marked files, so that a folder watch or a file manager keeps up.
constexpr int kRenamePauseMs = 100;

// The command on the current row; nothing without a current row or on the parent row.
void RenameEntries(FileListModel& model, const TSettings& settings, int currentRow,
                   EntryRenamer& renamer, RenameHost& host);
