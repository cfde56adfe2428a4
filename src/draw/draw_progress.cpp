#include "draw/draw_progress.h"

namespace kelvora {

void addWinner(WinnerList& winners, std::u16string_view prizeName, const Entrant& entrant) {
    for (WinnerGroup& group : winners) {
        if (equalsIgnoreCase(group.name(), prizeName)) {
            group.entrants.push_back(entrant);
            return;
        }
    }
    WinnerGroup group;
    setField(group.prizeName, prizeName);
    group.entrants.push_back(entrant);
    winners.push_back(std::move(group));
}

void removeFromPool(EntrantPool& pool, const Entrant& entrant) {
    for (auto it = pool.begin(); it != pool.end(); ++it) {
        if (sameEntrant(*it, entrant)) {
            pool.erase(it);
            return;
        }
    }
}

int winnerCount(const WinnerList& winners, std::u16string_view prizeName) {
    if (prizeName.empty()) {
        int total = 0;
        for (const WinnerGroup& group : winners)
            total += static_cast<int>(group.entrants.size());
        return total;
    }
    for (const WinnerGroup& group : winners) {
        if (equalsIgnoreCase(group.name(), prizeName))
            return static_cast<int>(group.entrants.size());
    }
    return 0;
}

std::u16string_view lastGroupName(const WinnerList& winners) {
    return winners.empty() ? std::u16string_view{} : winners.back().name();
}

} // namespace kelvora
