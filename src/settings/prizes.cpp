#include "settings/prizes.h"

namespace kelvora {

int findPrize(const PrizeList& prizes, std::u16string_view name) {
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        if (equalsIgnoreCase(prizes[i].nameText(), name))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace kelvora
