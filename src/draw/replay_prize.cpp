#include "draw/replay_prize.h"

namespace kelvora {

std::vector<std::u16string> replayPrizeChoices(const WinnerList& winners) {
    std::vector<std::u16string> names;
    names.reserve(winners.size());
    for (const WinnerGroup& group : winners)
        names.emplace_back(group.name());
    return names;
}

} // namespace kelvora
