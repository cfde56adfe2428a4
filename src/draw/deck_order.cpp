#include "draw/deck_order.h"

#include <algorithm>

namespace kelvora {

void DeckOrder::reset(std::size_t size) {
    m_size = size;
    // Room for as many moves as there are positions before the slots are packed again: packing costs one pass
    // over the slots, so a move costs a constant share of it.
    const std::size_t slots = size * 2;
    m_slots.assign(slots, 0);
    m_filled.assign(slots, 0);
    for (std::size_t i = 0; i < size; ++i) {
        m_slots[i] = static_cast<std::uint16_t>(i);
        m_filled[i] = 1;
    }
    m_used = size;
    m_topBit = 1;
    while (m_topBit * 2 <= slots)
        m_topBit *= 2;
    rebuildCounts();
}

void DeckOrder::rebuildCounts() {
    const std::size_t n = m_filled.size();
    m_counts.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        m_counts[i] += m_filled[i - 1];
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n)
            m_counts[parent] += m_counts[i];
    }
}

void DeckOrder::addCount(std::size_t slot, std::int32_t delta) {
    for (std::size_t i = slot + 1; i < m_counts.size(); i += i & (~i + 1))
        m_counts[i] += delta;
}

// The slot of the (j+1)-th filled slot: walks down the tree from the highest power of two.
std::size_t DeckOrder::slotOfIndex(std::size_t j) const {
    std::size_t at = 0;
    auto left = static_cast<std::int32_t>(j + 1);
    for (std::size_t step = m_topBit; step > 0; step /= 2) {
        const std::size_t next = at + step;
        if (next < m_counts.size() && m_counts[next] < left) {
            at = next;
            left -= m_counts[next];
        }
    }
    return at; // the tree's 1-based index at + 1, which is slot at
}

void DeckOrder::pack() {
    std::size_t to = 0;
    for (std::size_t from = 0; from < m_used; ++from) {
        if (!m_filled[from])
            continue;
        m_slots[to] = m_slots[from];
        ++to;
    }
    std::fill(m_filled.begin(), m_filled.begin() + static_cast<std::ptrdiff_t>(to), std::uint8_t{1});
    std::fill(m_filled.begin() + static_cast<std::ptrdiff_t>(to), m_filled.end(), std::uint8_t{0});
    m_used = to;
    rebuildCounts();
}

std::uint16_t DeckOrder::dealAt(std::size_t j) {
    if (m_used == m_slots.size())
        pack();
    const std::size_t slot = slotOfIndex(j);
    const std::uint16_t position = m_slots[slot];
    m_filled[slot] = 0;
    addCount(slot, -1);
    m_slots[m_used] = position;
    m_filled[m_used] = 1;
    addCount(m_used, 1);
    ++m_used;
    return position;
}

} // namespace kelvora
