#include "files/MarkedFiles.h"

#include "platform/Paths.h"

std::vector<std::string> CollectMarkedNames(FileListModel& model) {
    std::vector<std::string> names;
    for (int slot = 1; slot <= MarkList::kCapacity; ++slot) {
        int row = model.marks.Slot(slot);
        if (row < 0)
            continue;
        model.SetMarkColumn(row, false);
        // A mark only ever sits on a file row; anything else names no file.
        if (model.IsFileRow(row))
            names.push_back(model.EntryName(row));
    }
    return names;
}

std::vector<std::string> DeleteTargets(FileListModel& model, int currentRow,
                                       std::string_view dirPath) {
    std::vector<std::string> paths;
    if (model.marks.Count() > 0) {
        model.marks.Compact();
        for (const std::string& name : CollectMarkedNames(model))
            paths.push_back(JoinPath(dirPath, name));
        model.marks.Clear();
        return paths;
    }
    RowKind kind = model.KindOf(currentRow);
    if (kind == RowKind::Folder || kind == RowKind::File)
        paths.push_back(JoinPath(dirPath, model.EntryName(currentRow)));
    return paths;
}
