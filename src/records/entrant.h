#pragma once
// The entrant record: one line of the text list or one photo of the picture list. The same 264-byte value is
// a name-list entry, a pool entry, an on-screen slot, a winner and a black/white-list entry, and moves
// between those places by plain copy; its bytes are also its on-disk form.

#include <bit>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/text.h"

namespace kelvora {

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian memory images");

inline constexpr int kNameUnits = 128;     // a name's array, terminator included
inline constexpr int kMaxNameLength = 127; // units of text a name can hold
inline constexpr int kMaxEntrants = 30000; // per name list, pool, import and black or white list
inline constexpr int kMaxShown = 50;       // winners per press, on-screen slots
inline constexpr int kMaxPrizes = 256;
inline constexpr int kMaxWinnerGroups = 512;

struct Entrant {
    char16_t name[kNameUnits]{};
    std::int32_t nameKey = 0;
    // A white-list entry's fixed win order (0 = random). Elsewhere 0, except as the pool arrangement's
    // temporary "taken" mark.
    std::int32_t winOrder = 0;

    std::u16string_view text() const { return fieldText(name); }
};
static_assert(sizeof(Entrant) == 264);
static_assert(std::is_trivially_copyable_v<Entrant>);

using EntrantList = std::vector<Entrant>;

// ELF hash over the name's UTF-16LE bytes up to the terminator, masked to 31 bits. Case-sensitive.
std::int32_t computeNameKey(std::u16string_view name);

// An entrant for a name: the text cut at 127 units, the key computed from what was kept, winOrder 0.
Entrant makeEntrant(std::u16string_view name);

// Equal keys and names equal ignoring letter case; winOrder never takes part.
bool sameEntrant(const Entrant& a, const Entrant& b);

// In a sequence sorted by nameKey ascending: the index of the first entry of the key's range whose name
// equals the entrant's ignoring case, or -1.
int findEntrant(std::span<const Entrant> sortedByKey, const Entrant& entrant);

} // namespace kelvora
