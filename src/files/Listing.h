// ListDirectory: the one way to rebuild the file list model. It reads the working
// directory (or the find dialog's search pattern), filters the files through the
// mask, sorts them, builds the row texts, the path line and the current row, and
// empties the marks. What it shows goes through a ListingView, which the main
// window implements and tests replace.
#pragma once

#include "files/FileListModel.h"

#include <string>

struct TSettings;

class ListingView {
public:
    virtual ~ListingView() = default;
    // The model holds the single scanning row: show it and pathLine now, with the
    // busy cursor.
    virtual void ShowScanStart(const std::string& pathLine) = 0;
    // Keeps the window painted during a long scan; no user input is taken.
    virtual void ProcessPendingEvents() = 0;
    // The rows were rebuilt: show them (one repaint), the path line and the detail
    // line, make currentRow current (-1 for an empty list), restore the cursor.
    virtual void ShowRows(const std::string& pathLine, const std::string& detailLine,
                          int currentRow) = 0;
    // The list's current row, -1 when none.
    virtual int CurrentRow() const = 0;
    virtual int RowsPerColumn() const = 0;
    // The listed folder lies on another device than the last one did.
    virtual void DriveChanged() = 0;
    // The empty listing gives the list the focus.
    virtual void FocusList() = 0;
};

void ListDirectory(FileListModel& model, const TSettings& settings, ListingView& view,
                   bool keepPattern, bool keepSelection, bool resortOnly);

// The row text of a file entry, mark column first ("*" when marked).
std::string FileRowText(const TSettings& settings, const FileEntry& file, bool marked);

// The path line names the find dialog's pattern while the list is narrowed to it, so
// that the operator sees why files are missing.
bool IsNarrowed(const FileListModel& model, const TSettings& settings);

// Label8 for a row: the parent row's hint, a folder's or a file's details; empty
// when there is no such row.
std::string RowDetailText(const FileListModel& model, int row);
