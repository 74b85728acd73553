// FileListModel: what the file list shows of the working directory. Folder entries
// keep the enumeration order, file entries the sort order; the rows are the parent
// row, the folder rows and the file rows, each starting with the mark column ("*" or
// a blank). ListDirectory is the one way to rebuild it.
#pragma once

#include "files/MarkList.h"

#include <cstdint>
#include <string>
#include <vector>

struct FolderEntry {
    std::string name; // as the file system holds it (bytes)
    std::string date; // "YYYY-MM-DD HH:NN:SS", empty when the folder has no usable time
};

struct FileEntry {
    std::string name;        // as the file system holds it (bytes)
    std::string sizeText;    // decimal of the low 32 bits of the size
    std::string date;        // "YYYY-MM-DD HH:NN:SS", seconds rounded down to even
    std::int32_t size = 0;   // the low 32 bits, read as a signed number (the sort key)
    std::uint64_t bytes = 0; // the whole size, for the detail line
};

enum class RowKind { None, Parent, Folder, File };

struct FileListModel {
    std::vector<FolderEntry> folders;
    std::vector<FileEntry> files;
    int parentRows = 0;            // 1 when the list starts with the parent row
    std::vector<std::string> rows; // display text (UTF-8), mark column first

    MarkList marks;
    int lastClickedRow = -1; // anchor of range marking

    std::string rememberedName; // file entry the next listing makes current again
    int sortKey = 0;            // 1 name, 2 size, 3 date; 0 before the first listing
    std::string searchPattern;  // DirPath + "/*.*", or the find dialog's own
    bool hasLastDrive = false;
    std::uint64_t lastDrive = 0; // device of the last listed folder
    int rowsPerColumn = 0;
    bool renameRunning = false;
    bool listingRunning = false; // a listing pumps events; none may start inside it
    // Handed over right before a listing (by the rename command and the file
    // information): the entry under this name, a file or a folder, becomes current,
    // whatever the caller's keepSelection says.
    std::string renamedName;

    int RowCount() const { return static_cast<int>(rows.size()); }
    int FirstFileRow() const { return parentRows + static_cast<int>(folders.size()); }
    int RowToFileIndex(int row) const { return row - FirstFileRow(); }
    RowKind KindOf(int row) const;
    bool IsFileRow(int row) const { return KindOf(row) == RowKind::File; }
    bool IsMarked(int row) const;
    // Rewrites the mark column of a row.
    void SetMarkColumn(int row, bool marked);
    // Name of the entry behind a folder or file row (bytes); empty for other rows.
    const std::string& EntryName(int row) const;
};
