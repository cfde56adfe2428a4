#pragma once
// The order of the scrolling deck while names scroll. Each dealt name is taken from the part of the deck
// still in reach and moved to its end, so that no name shows twice in one frame; with 50 names a frame over a
// deck of 30000 that is 50 moves of the whole deck, 60 times a second. Here the deck's positions sit in slots
// with a count of the filled ones (a Fenwick tree): finding the j-th position and moving it to the end both
// cost O(log n), and the slots are packed again once the end is reached. The order dealt is exactly that of
// moving the records themselves.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvora {

class DeckOrder {
public:
    // Positions 0 .. size-1, in that order.
    void reset(std::size_t size);
    void clear() { reset(0); }
    std::size_t size() const { return m_size; }

    // The position at index j of the current order (j < size()), which moves to the end of the order.
    std::uint16_t dealAt(std::size_t j);

private:
    std::vector<std::uint16_t> m_slots; // the position each slot holds, where it is filled
    std::vector<std::uint8_t> m_filled;
    std::vector<std::int32_t> m_counts; // Fenwick tree of m_filled, 1-based
    std::size_t m_used = 0;             // slots taken so far: filled ones and those left behind
    std::size_t m_size = 0;
    std::size_t m_topBit = 0; // the highest power of two not above the number of slots

    void rebuildCounts();
    void pack();
    void addCount(std::size_t slot, std::int32_t delta);
    std::size_t slotOfIndex(std::size_t j) const;
};

} // namespace kelvora
