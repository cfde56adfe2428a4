#pragma once
// The prizes in draw order, each with its own black and white lists.

#include <cstdint>
#include <string_view>
#include <vector>

#include "draw/entrant.h"

namespace kelvora {

inline constexpr int kMaxQuota = 30000;
inline constexpr int kImageFileUnits = 260;

struct PrizeItem {
    char16_t name[kNameUnits]{};
    std::int32_t quota = 1;
    std::int32_t perDraw = 1;
    std::int32_t perLine = 1;
    std::int32_t fontSize = 60;
    char16_t prizeText[kNameUnits]{};
    char16_t imageFile[kImageFileUnits]{};
    EntrantList whiteList; // winOrder: 0 = random place, k = k-th winner of this prize
    EntrantList blackList; // winOrder always 0

    std::u16string_view nameText() const { return fieldText(name); }
};

using PrizeList = std::vector<PrizeItem>;

// Index of the prize whose name equals the given one ignoring case, or -1.
int findPrize(const PrizeList& prizes, std::u16string_view name);

} // namespace kelvora
