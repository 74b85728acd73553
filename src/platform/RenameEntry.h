// RenameEntry: renames a file or folder without ever replacing another entry. Linux
// rename() replaces an existing target silently; the NC shop's files must survive a
// slip of the operator, so an existing target is refused and named. A change of
// letter case only (o1234.nc to O1234.NC) renames, also on a file system that folds
// case (a FAT memory stick), where both names are the one file.
#pragma once

#include <string>

enum class RenameStatus { Renamed, TargetExists, Failed };

struct RenameOutcome {
    RenameStatus status = RenameStatus::Failed;
    int error = 0; // errno of a failure
};

// The service behind every rename of the file list; tests replace it.
class EntryRenamer {
public:
    virtual ~EntryRenamer() = default;
    virtual RenameOutcome Rename(const std::string& from, const std::string& to) = 0;
};

// The system's rename: renameat2 with RENAME_NOREPLACE, and where the file system
// lacks it, link + unlink for files or a checked rename for folders.
EntryRenamer& SystemRenamer();

// Test seam: makes renameat2 report that the file system lacks RENAME_NOREPLACE, so
// that the fall-back runs.
void SetNoReplaceUnsupportedForTest(bool unsupported);
