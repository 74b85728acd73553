// Marking and paging of the file list: which rows carry the mark "*", which row
// indices the mark list holds, and where PgUp and PgDn put the current row. Only
// file rows are ever marked; at most MarkList::kCapacity at once.
#pragma once

#include "files/FileListModel.h"

// Home: marks the file rows of the (at most 100) rows from current on, in order,
// and unmarks every other row.
void MarkFromCursor(FileListModel& model, int current);
// End: unmarks every row and empties the mark list.
void ClearAllMarks(FileListModel& model);
// Enter on a file row: unmarks a marked row, marks an unmarked one while fewer than
// 100 are marked. False when nothing changed (not a file row, or the list is full).
bool ToggleMark(FileListModel& model, int row);
// Shift+click: marks the file rows from the last clicked row to row (at most the
// first 100 rows of that range) and unmarks every other row.
void MarkRange(FileListModel& model, int row);

struct PageMove {
    int scrollTo; // made current first, so that the whole page scrolls into view
    int current;
};
// A page is listColumn x rowsPerColumn rows. Rows outside the list are brought back
// into it: PgUp on the first page goes to row 0, PgDn on the last to the last row.
int PageUpRow(int current, int rowCount, int listColumn, int rowsPerColumn);
PageMove PageDownRows(int current, int rowCount, int listColumn, int rowsPerColumn);
