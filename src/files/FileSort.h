// The order of the file entries. Names and date texts compare by the locale's
// collation, case-sensitive (the original's lstrcmpA); sizes as signed 32-bit
// numbers. Equal keys have no tie-break beyond keeping their previous order.
#pragma once

#include "files/FileListModel.h"

#include <string_view>
#include <vector>

enum class SortDirection {
    D, // names A to Z, largest size first, oldest date first
    U, // names Z to A, smallest size first, newest date first
};

// FileSort "N", "S", "T" give keys 1, 2, 3; any other text keeps previousKey.
int SortKeyFor(std::string_view fileSort, int previousKey);
// SortMuki "D" selects set D, any other text set U.
SortDirection SortDirectionFor(std::string_view sortMuki);

// Sorts by key 1 (name), 2 (size) or 3 (date); any other key leaves the order.
void SortFileEntries(std::vector<FileEntry>& files, int key, SortDirection direction);
