#pragma once
// The choice behind "指定奖项...": which prizes a replay of one prize can be given, and what is said when the
// operator confirms without choosing one.

#include <string>
#include <string_view>
#include <vector>

#include "draw/draw_progress.h"

namespace kelvora {

inline constexpr std::u16string_view kNoReplayPrizeChosen = u"请指定要回放的奖项";

// The prize of every winner group, in the list's order: only a prize that has winners can be replayed, and
// the groups already hold one prize each.
std::vector<std::u16string> replayPrizeChoices(const WinnerList& winners);

} // namespace kelvora
