#pragma once
// A winner gives up the prize. The rule works on a copy of the progress so that the copy can be saved before
// it becomes the draw's state; DrawRun::forfeit() applies it.

#include <optional>
#include <string_view>

#include "draw/draw_progress.h"

namespace kelvora {

struct ForfeitRequest {
    std::u16string_view prizeName; // the row's prize, up to 127 units
    std::u16string_view
        winnerName;          // the row's winner as stored: in picture mode the file name with extension
    bool backToPool = false; // "弃奖人重回奖池": the forfeiter may win a later prize
};

// The progress after the forfeit, or nothing when the prize has no winner of that name (the row no longer
// matches the draw; nothing may change then). currentPrizeName is the current prize's name, empty when none
// is current. Names compare ignoring case.
//  - The first such winner of the first such group is removed; an emptied group goes with it.
//  - backToPool appends the removed record to the end of the pool.
//  - A winner of the current prize gives the prize its place back (drawnCount - 1, never below 0) and the
//    first of the shown places holding that name that is not yet forfeited is marked forfeited. Winners of
//    earlier prizes leave the places alone: those show the current prize only.
std::optional<DrawProgress> forfeitedProgress(const DrawProgress& progress, const ForfeitRequest& request,
                                              std::u16string_view currentPrizeName);

} // namespace kelvora
