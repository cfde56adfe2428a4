#pragma once
// A winner gives up the prize. The rule works on a copy of the progress so that the copy can be saved before
// it becomes the draw's state; DrawRun::forfeit() applies it.

#include <optional>
#include <string_view>

#include "draw/draw_progress.h"

namespace kelvora {

// The winner as the winners window shows it: its place, and what the row reads there. Names alike (two
// "张伟" in a text list, "Wang.jpg" and "wang.jpg" in a picture list) are different people, so the place
// decides who forfeits, and the row's texts only confirm that the place still holds that winner.
struct ForfeitRequest {
    WinnerPlace place;
    std::u16string_view prizeName; // the group's name as the row shows it
    Entrant winner{};              // the row's winner as stored; name and key must match exactly
    bool backToPool = false;       // "弃奖人重回奖池": the forfeiter may win a later prize
};

// The progress after the forfeit, or nothing when the place no longer holds the row's winner under the row's
// prize (nothing may change then). currentPrizeName is the current prize's name, empty when none is current.
//  - The winner at the place is removed; an emptied group goes with it.
//  - backToPool appends the removed record to the end of the pool.
//  - A winner of the current prize gives the prize its place back (drawnCount - 1, never below 0). When the
//    winner is one of those on screen, the slot showing that very winner is marked forfeited. Winners of
//    earlier presses and earlier prizes leave the slots alone.
std::optional<DrawProgress> forfeitedProgress(const DrawProgress& progress, const ForfeitRequest& request,
                                              std::u16string_view currentPrizeName);

} // namespace kelvora
