#include "files/FileListModel.h"

RowKind FileListModel::KindOf(int row) const {
    if (row < 0 || row >= RowCount())
        return RowKind::None;
    if (row < parentRows)
        return RowKind::Parent;
    if (row < FirstFileRow())
        return RowKind::Folder;
    return RowKind::File;
}

bool FileListModel::IsMarked(int row) const {
    return row >= 0 && row < RowCount() && !rows[static_cast<size_t>(row)].empty() &&
           rows[static_cast<size_t>(row)][0] == '*';
}

void FileListModel::SetMarkColumn(int row, bool marked) {
    if (row < 0 || row >= RowCount())
        return;
    std::string& text = rows[static_cast<size_t>(row)];
    if (text.empty())
        text = " ";
    text[0] = marked ? '*' : ' ';
}

const std::string& FileListModel::EntryName(int row) const {
    static const std::string none;
    switch (KindOf(row)) {
    case RowKind::Folder:
        return folders[static_cast<size_t>(row - parentRows)].name;
    case RowKind::File:
        return files[static_cast<size_t>(RowToFileIndex(row))].name;
    default:
        return none;
    }
}
