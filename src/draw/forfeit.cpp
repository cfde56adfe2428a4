#include "draw/forfeit.h"

#include <algorithm>

namespace kelvora {

namespace {

// The very same record: names alike in letter case are different people (and have different keys).
bool identical(const Entrant& a, const Entrant& b) {
    return a.nameKey == b.nameKey && a.text() == b.text();
}

// The slot showing the winner at index of the current prize's group, or nothing. A stop appends the press's
// winners to the group in slot order, and a forfeit of one of them removes it from the group as it marks its
// slot, so the group still ends with the winners of the slots not yet forfeited, in slot order.
std::optional<std::size_t> shownSlotOf(const DrawProgress& progress, const WinnerGroup& group,
                                       std::size_t index) {
    if (progress.state != DrawState::Stopped)
        return std::nullopt;
    std::array<std::size_t, kMaxShown> live{};
    std::size_t liveCount = 0;
    const std::size_t shown = static_cast<std::size_t>(std::clamp(progress.shownCount, 0, kMaxShown));
    for (std::size_t i = 0; i < shown; ++i)
        if (!progress.slotForfeited[i])
            live[liveCount++] = i;
    const std::size_t size = group.entrants.size();
    if (liveCount > size || index < size - liveCount)
        return std::nullopt;
    const std::size_t slot = live[index - (size - liveCount)];
    // A resumed draw whose slots do not line up with its group marks nothing rather than someone else's slot.
    if (!identical(progress.shownEntrants[slot], group.entrants[index]))
        return std::nullopt;
    return slot;
}

} // namespace

std::optional<DrawProgress> forfeitedProgress(const DrawProgress& progress, const ForfeitRequest& request,
                                              std::u16string_view currentPrizeName) {
    const WinnerPlace place = request.place;
    if (place.group >= progress.winners.size())
        return std::nullopt;
    const WinnerGroup& group = progress.winners[place.group];
    if (group.name() != request.prizeName || place.index >= group.entrants.size() ||
        !identical(group.entrants[place.index], request.winner))
        return std::nullopt;

    const bool currentPrize = !currentPrizeName.empty() && equalsIgnoreCase(group.name(), currentPrizeName);
    std::optional<std::size_t> slot;
    if (currentPrize) {
        // The stops add the current prize's winners to the first group of its name.
        const auto stopsGroup =
            std::find_if(progress.winners.begin(), progress.winners.end(),
                         [&](const WinnerGroup& g) { return equalsIgnoreCase(g.name(), currentPrizeName); });
        if (stopsGroup - progress.winners.begin() == static_cast<std::ptrdiff_t>(place.group))
            slot = shownSlotOf(progress, group, place.index);
    }

    DrawProgress snapshot = progress;
    WinnerGroup& changed = snapshot.winners[place.group];
    const Entrant removed = changed.entrants[place.index];
    changed.entrants.erase(changed.entrants.begin() + static_cast<std::ptrdiff_t>(place.index));
    if (changed.entrants.empty())
        snapshot.winners.erase(snapshot.winners.begin() + static_cast<std::ptrdiff_t>(place.group));

    if (request.backToPool)
        snapshot.pool.push_back(removed);

    if (currentPrize) {
        snapshot.drawnCount = std::max(snapshot.drawnCount - 1, 0);
        if (slot)
            snapshot.slotForfeited[*slot] = 1;
    }
    return snapshot;
}

} // namespace kelvora
