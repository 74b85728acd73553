#include "files/MarkList.h"

#include <algorithm>

void MarkList::Clear() {
    slots_.fill(-1);
    count_ = 0;
    multiSend = false;
}

bool MarkList::Add(int row) {
    for (int n = 1; n <= kCapacity; ++n) {
        if (slots_[static_cast<size_t>(n)] == -1) {
            slots_[static_cast<size_t>(n)] = row;
            ++count_;
            return true;
        }
    }
    return false;
}

bool MarkList::Remove(int row) {
    for (int n = 1; n <= kCapacity; ++n) {
        if (slots_[static_cast<size_t>(n)] == row) {
            slots_[static_cast<size_t>(n)] = -1;
            --count_;
            return true;
        }
    }
    return false;
}

bool MarkList::Contains(int row) const {
    return std::find(slots_.begin() + 1, slots_.begin() + 1 + kCapacity, row) !=
           slots_.begin() + 1 + kCapacity;
}

void MarkList::Compact() {
    auto first = slots_.begin() + 1;
    auto last = first + kCapacity;
    std::stable_partition(first, last, [](int row) { return row != -1; });
}

std::vector<int> MarkList::Rows() const {
    std::vector<int> rows;
    for (int n = 1; n <= kCapacity; ++n) {
        if (slots_[static_cast<size_t>(n)] != -1)
            rows.push_back(slots_[static_cast<size_t>(n)]);
    }
    return rows;
}
