// What the delete, copy and move commands work on: the marked files, collected in
// marking order, or else the entry of the current row.
#pragma once

#include "files/FileListModel.h"

#include <string>
#include <string_view>
#include <vector>

// The file names of the used mark slots, in slot order; each of those rows loses
// its mark character. The mark list itself is left as it is.
std::vector<std::string> CollectMarkedNames(FileListModel& model);

// The full paths the delete command hands on: with marks, the collected files (the
// mark list is then emptied); without, the folder or file of currentRow (nothing on
// the parent row or without a current row).
std::vector<std::string> DeleteTargets(FileListModel& model, int currentRow,
                                       std::string_view dirPath);
