// MarkList: the marked rows of the file list in marking order. Slots 1 to 100 hold
// row indices, -1 in a free slot; slot 101 always stays -1. A new mark takes the
// first free slot, so after unmarking the order is no longer the marking order
// until Compact moves the free slots to the end.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

class MarkList {
public:
    static constexpr int kCapacity = 100;

    MarkList() { Clear(); }

    // Empties every slot and clears the multi-send flag.
    void Clear();
    // Puts row into the first free slot; false when all 100 slots are taken.
    bool Add(int row);
    // Frees the slot that holds row; false when row was not marked.
    bool Remove(int row);
    bool Contains(int row) const;
    // Moves the free slots to the end, keeping the order of the marks.
    void Compact();
    // The marked rows in slot order.
    std::vector<int> Rows() const;

    int Count() const { return count_; }
    bool Full() const { return count_ >= kCapacity; }
    // Slot 1 to 101; -1 when free.
    int Slot(int number) const { return slots_[static_cast<std::size_t>(number)]; }

    bool multiSend = false;

private:
    std::array<int, kCapacity + 2> slots_{}; // index 0 unused, 101 the sentinel
    int count_ = 0;
};
