#include "draw/pool_arrangement.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace kelvora {

namespace {

bool byKey(const Entrant& a, const Entrant& b) {
    return a.nameKey < b.nameKey;
}

// Forward Fisher-Yates driven by the 15-bit generator; the permutation depends only on the length and the
// generator, so shuffling positions gives exactly the order that shuffling the records would.
template <typename T> void shuffleSequence(std::span<T> entries, Random15& random) {
    random.reseedFromClock();
    const std::size_t n = entries.size();
    for (std::size_t k = 1; k < n; ++k) {
        const std::uint32_t m = static_cast<std::uint32_t>(k + 1);
        std::uint32_t r = static_cast<std::uint32_t>(random.next()) & 0x7FFFu;
        std::uint32_t range = 0x7FFFu;
        while (range < m && range != 0xFFFFFFFFu) {
            r = (r << 15) | (static_cast<std::uint32_t>(random.next()) & 0x7FFFu);
            range = (range << 15) | 0x7FFFu;
        }
        const std::size_t j = r % m;
        if (j != k)
            std::swap(entries[k], entries[j]);
    }
}

// The pool arrangement works on positions into one store of records: sorting, shuffling and inserting move
// 4-byte positions instead of 264-byte records, and the pool is written out once at the end.
class Arrangement {
public:
    explicit Arrangement(EntrantPool&& pool) : m_store(std::move(pool)), m_order(m_store.size()) {
        for (Entrant& e : m_store)
            e.winOrder = 0;
        std::iota(m_order.begin(), m_order.end(), 0u);
        std::sort(m_order.begin(), m_order.end(), [this](std::uint32_t a, std::uint32_t b) {
            return m_store[a].nameKey < m_store[b].nameKey;
        });
        m_taken.assign(m_store.size(), 0);
    }

    // Marks the pool entry matching each list entry as taken; returns the list entries that matched. A pool
    // entry already taken is not taken again, so a list that names a person twice cannot duplicate them.
    EntrantList take(const EntrantList& list) {
        EntrantList matched;
        for (const Entrant& entry : list) {
            const std::int64_t at = find(entry);
            if (at >= 0 && !m_taken[m_order[static_cast<std::size_t>(at)]]) {
                m_taken[m_order[static_cast<std::size_t>(at)]] = 1;
                matched.push_back(entry);
            }
        }
        return matched;
    }

    void dropTaken() {
        std::erase_if(m_order, [this](std::uint32_t i) { return m_taken[i] != 0; });
    }

    void shuffle(Random15& random) { shuffleSequence(std::span(m_order), random); }

    // Adds list entries to the store and returns their positions, in order.
    std::vector<std::uint32_t> add(const EntrantList& entries) {
        std::vector<std::uint32_t> at;
        for (Entrant e : entries) {
            e.winOrder = 0;
            at.push_back(static_cast<std::uint32_t>(m_store.size()));
            m_store.push_back(e);
        }
        return at;
    }

    std::vector<std::uint32_t>& order() { return m_order; }
    const Entrant& at(std::size_t place) const { return m_store[m_order[place]]; }

    EntrantPool result() const {
        EntrantPool pool;
        pool.reserve(m_order.size());
        for (std::uint32_t i : m_order)
            pool.push_back(m_store[i]);
        return pool;
    }

private:
    // findEntrant over the key-sorted positions.
    std::int64_t find(const Entrant& entry) const {
        auto lower =
            std::lower_bound(m_order.begin(), m_order.end(), entry.nameKey,
                             [this](std::uint32_t i, std::int32_t key) { return m_store[i].nameKey < key; });
        for (auto it = lower; it != m_order.end() && m_store[*it].nameKey == entry.nameKey; ++it) {
            if (equalsIgnoreCase(m_store[*it].text(), entry.text()))
                return it - m_order.begin();
        }
        return -1;
    }

    EntrantList m_store;
    std::vector<std::uint32_t> m_order;
    std::vector<char> m_taken;
};

} // namespace

void shuffleEntrants(std::span<Entrant> entries, Random15& random) {
    shuffleSequence(entries, random);
}

EntrantPool arrangedPool(EntrantPool entrants, const PrizeItem& prize, Random15& random) {
    random.reseedFromClock();
    Arrangement pool(std::move(entrants));

    EntrantList black = pool.take(prize.blackList);
    shuffleEntrants(black, random);
    pool.dropTaken();

    EntrantList randomWhite;
    EntrantList orderedWhite;
    for (const Entrant& w : pool.take(prize.whiteList))
        (w.winOrder != 0 ? orderedWhite : randomWhite).push_back(w);
    pool.dropTaken();

    pool.shuffle(random);
    shuffleEntrants(randomWhite, random);
    std::stable_sort(orderedWhite.begin(), orderedWhite.end(),
                     [](const Entrant& a, const Entrant& b) { return a.winOrder < b.winOrder; });

    std::vector<std::uint32_t>& order = pool.order();
    const std::vector<std::uint32_t> blackAt = pool.add(black);
    order.insert(order.end(), blackAt.begin(), blackAt.end());
    const std::vector<std::uint32_t> randomWhiteAt = pool.add(randomWhite);
    order.insert(order.begin(), randomWhiteAt.begin(), randomWhiteAt.end());

    const std::vector<std::uint32_t> orderedAt = pool.add(orderedWhite);
    for (std::size_t k = 0; k < orderedWhite.size(); ++k) {
        // Orders are positive; an order beyond the pool lands at the end.
        const std::size_t place = static_cast<std::size_t>(orderedWhite[k].winOrder) - 1;
        if (place < order.size())
            order.insert(order.begin() + static_cast<std::ptrdiff_t>(place), orderedAt[k]);
        else
            order.push_back(orderedAt[k]);
    }

    // Mix everything in the winning places that a fixed order does not pin, so random-white and ordinary
    // entrants there take random places among the free ones.
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(prize.quota, 0)), order.size());
    EntrantList pinned = orderedWhite;
    std::sort(pinned.begin(), pinned.end(), byKey);
    std::vector<std::size_t> places;
    std::vector<std::uint32_t> free;
    for (std::size_t i = 0; i < n; ++i) {
        if (findEntrant(pinned, pool.at(i)) < 0) {
            places.push_back(i);
            free.push_back(order[i]);
        }
    }
    shuffleSequence(std::span(free), random);
    for (std::size_t k = 0; k < places.size(); ++k)
        order[places[k]] = free[k];

    return pool.result();
}

} // namespace kelvora
