#include "files/ListSelection.h"

#include <algorithm>

namespace {

// Marks the file rows of [first, last] in order and unmarks every other row, so
// that the marks shown are always the marks in the list.
void MarkOnly(FileListModel& model, int first, int last) {
    model.marks.Clear();
    for (int row = 0; row < model.RowCount(); ++row) {
        bool inRange = row >= first && row <= last && model.IsFileRow(row);
        if (inRange)
            model.marks.Add(row);
        if (model.IsMarked(row) != inRange)
            model.SetMarkColumn(row, inRange);
    }
}

} // namespace

void MarkFromCursor(FileListModel& model, int current) {
    if (current < 0 || current >= model.RowCount())
        return;
    int n = std::min(model.RowCount() - current, MarkList::kCapacity);
    MarkOnly(model, current, current + n - 1);
}

void ClearAllMarks(FileListModel& model) {
    for (int row = 0; row < model.RowCount(); ++row) {
        if (model.IsMarked(row))
            model.SetMarkColumn(row, false);
    }
    model.marks.Clear();
}

bool ToggleMark(FileListModel& model, int row) {
    if (!model.IsFileRow(row))
        return false;
    if (model.IsMarked(row)) {
        model.SetMarkColumn(row, false);
        model.marks.Remove(row);
        return true;
    }
    if (!model.marks.Add(row))
        return false;
    model.SetMarkColumn(row, true);
    return true;
}

void MarkRange(FileListModel& model, int row) {
    if (row < 0 || row >= model.RowCount())
        return;
    int anchor = model.lastClickedRow >= 0 && model.lastClickedRow < model.RowCount()
                     ? model.lastClickedRow
                     : row;
    int first = std::min(anchor, row);
    int last = std::min(std::max(anchor, row), first + MarkList::kCapacity - 1);
    MarkOnly(model, first, last);
}

int PageUpRow(int current, int rowCount, int listColumn, int rowsPerColumn) {
    int page = std::max(1, listColumn * rowsPerColumn);
    if (rowCount <= page)
        return 0;
    return std::max(0, page * (std::max(current, 0) / page - 1));
}

PageMove PageDownRows(int current, int rowCount, int listColumn, int rowsPerColumn) {
    int last = std::max(rowCount - 1, 0);
    int page = std::max(1, listColumn * rowsPerColumn);
    if (rowCount <= page)
        return {last, last};
    int q = std::max(current, 0) / page + 1;
    int scrollTo = page * q + (listColumn - 1) * rowsPerColumn;
    return {std::min(scrollTo, last), std::min(page * q, last)};
}
