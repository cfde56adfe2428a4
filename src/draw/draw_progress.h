#pragma once
// The saved part of a draw: state, counts, what is on screen, the pool of those who can still win and the
// winners grouped by prize. Held by value; a whole copy is the snapshot that a failed save is rolled back to.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/entrant.h"

namespace kelvora {

enum class DrawState : std::int32_t { Ready = 0, Scrolling = 1, Stopped = 2 };

using EntrantPool = std::vector<Entrant>;

struct WinnerGroup {
    char16_t prizeName[kNameUnits]{};
    std::vector<Entrant> entrants; // in draw order

    std::u16string_view name() const { return fieldText(prizeName); }
};

// One group per prize, in the order in which each prize first had a winner.
using WinnerList = std::vector<WinnerGroup>;

// Where one winner stands: its group in the list, and its place in that group (its draw order).
struct WinnerPlace {
    std::size_t group = 0;
    std::size_t index = 0;
};

struct DrawProgress {
    DrawState state = DrawState::Ready;
    std::int32_t drawnCount = 0;
    std::int32_t shownCount = 0;
    // The on-screen places: the frame being dealt while scrolling, the winners after a stop. The first
    // shownCount are in use; slotForfeited marks a place whose winner was forfeited.
    std::array<Entrant, kMaxShown> shownEntrants{};
    std::array<std::int32_t, kMaxShown> slotForfeited{};
    std::int32_t prizeIndex = 0;
    EntrantPool pool;
    WinnerList winners;

    void clearSlots() {
        shownEntrants.fill(Entrant{});
        slotForfeited.fill(0);
    }
};

// Appends the entrant to the group of the prize (matched ignoring case), or to a new group at the end.
void addWinner(WinnerList& winners, std::u16string_view prizeName, const Entrant& entrant);

// Erases the first pool entry that is the same entrant; the rest keep their order.
void removeFromPool(EntrantPool& pool, const Entrant& entrant);

// Winners of the prize (matched ignoring case); an empty name counts the winners of all prizes.
int winnerCount(const WinnerList& winners, std::u16string_view prizeName);

// The prize drawn most recently, or empty when nobody has won yet.
std::u16string_view lastGroupName(const WinnerList& winners);

} // namespace kelvora
