#include "draw/forfeit.h"

#include <algorithm>

namespace kelvora {

std::optional<DrawProgress> forfeitedProgress(const DrawProgress& progress, const ForfeitRequest& request,
                                              std::u16string_view currentPrizeName) {
    DrawProgress snapshot = progress;
    auto group = std::find_if(snapshot.winners.begin(), snapshot.winners.end(), [&](const WinnerGroup& g) {
        return equalsIgnoreCase(g.name(), request.prizeName);
    });
    if (group == snapshot.winners.end())
        return std::nullopt;
    auto winner = std::find_if(group->entrants.begin(), group->entrants.end(), [&](const Entrant& e) {
        return equalsIgnoreCase(e.text(), request.winnerName);
    });
    if (winner == group->entrants.end())
        return std::nullopt;

    const Entrant removed = *winner;
    group->entrants.erase(winner);
    if (group->entrants.empty())
        snapshot.winners.erase(group);

    if (request.backToPool)
        snapshot.pool.push_back(removed);

    if (!currentPrizeName.empty() && equalsIgnoreCase(request.prizeName, currentPrizeName)) {
        snapshot.drawnCount = std::max(snapshot.drawnCount - 1, 0);
        const std::size_t shown = static_cast<std::size_t>(std::clamp(snapshot.shownCount, 0, kMaxShown));
        for (std::size_t i = 0; i < shown; ++i) {
            // Two winners may share a name; each forfeit empties a place of its own.
            if (!snapshot.slotForfeited[i] &&
                equalsIgnoreCase(snapshot.shownEntrants[i].text(), request.winnerName)) {
                snapshot.slotForfeited[i] = 1;
                break;
            }
        }
    }
    return snapshot;
}

} // namespace kelvora
