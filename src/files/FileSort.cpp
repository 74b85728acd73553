#include "files/FileSort.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

int SortKeyFor(std::string_view fileSort, int previousKey) {
    if (fileSort == "N")
        return 1;
    if (fileSort == "S")
        return 2;
    if (fileSort == "T")
        return 3;
    return previousKey;
}

SortDirection SortDirectionFor(std::string_view sortMuki) {
    return sortMuki == "D" ? SortDirection::D : SortDirection::U;
}

namespace {

// The collation key of a text: comparing keys bytewise orders the texts as strcoll
// does, at one transformation per entry instead of one collation per comparison.
std::string CollationKey(const std::string& text) {
    std::string key(text.size() * 4 + 16, '\0');
    size_t n = std::strxfrm(key.data(), text.c_str(), key.size());
    if (n >= key.size()) {
        key.assign(n + 1, '\0');
        n = std::strxfrm(key.data(), text.c_str(), key.size());
    }
    key.resize(n);
    return key;
}

template <typename Less>
void ReorderBy(std::vector<FileEntry>& files, Less less) {
    std::vector<size_t> order(files.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<FileEntry> sorted;
    sorted.reserve(files.size());
    for (size_t i : order)
        sorted.push_back(std::move(files[i]));
    files = std::move(sorted);
}

void SortByText(std::vector<FileEntry>& files, bool byName, bool ascending) {
    std::vector<std::string> keys;
    keys.reserve(files.size());
    for (const FileEntry& entry : files)
        keys.push_back(CollationKey(byName ? entry.name : entry.date));
    ReorderBy(files, [&](size_t a, size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

} // namespace

void SortFileEntries(std::vector<FileEntry>& files, int key, SortDirection direction) {
    bool setD = direction == SortDirection::D;
    switch (key) {
    case 1:
        SortByText(files, true, setD);
        break;
    case 2:
        ReorderBy(files, [&](size_t a, size_t b) {
            return setD ? files[a].size > files[b].size : files[a].size < files[b].size;
        });
        break;
    case 3:
        SortByText(files, false, setD);
        break;
    default:
        break;
    }
}
