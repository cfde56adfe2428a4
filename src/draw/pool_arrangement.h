#pragma once
// The order of the pool for one prize. With Caps Lock on, a stop takes its winners from the front of this
// order, so it decides who wins: white-listed entrants in front (those with a fixed win order at their
// places), black-listed ones at the back, everybody else shuffled between.

#include <span>

#include "draw/draw_progress.h"
#include "platform/random.h"
#include "records/prizes.h"

namespace kelvora {

// Shuffles in place after reseeding from the clock: forward Fisher-Yates driven by the 15-bit generator.
void shuffleEntrants(std::span<Entrant> entries, Random15& random);

// The pool arranged by the prize's black and white lists. List entries that are not in the pool (an earlier
// winner, a name since removed) are ignored, and nobody appears twice however often a list names them.
EntrantPool arrangedPool(EntrantPool pool, const PrizeItem& prize, Random15& random);

} // namespace kelvora
