#pragma once
// The pre-show check of the prizes against the name list, read the way the draw will take them: prizes in
// their order, one win a person, the black list at the back of the pool and the white list in front while
// Caps Lock is on. Nothing here touches the disk; the caller hands in the records it loaded.

#include "records/entrant.h"
#include "records/prizes.h"
#include "rehearsal/findings.h"

namespace kelvora {

// The name list itself: empty, duplicate names (the same text twice, or the same but for letter case, which
// the draw treats as two people the audience cannot tell apart), empty names.
void checkNameList(const EntrantList& names, Findings& findings);

// Each prize against the entrants who can still win it after the prizes before it (an error when its quota
// is larger, a warning when only the black list could fill it), and its lists: entries that match nobody,
// names on both lists, fixed win orders beyond the quota or used twice, white lists longer than the quota,
// white-listed people who will already have won an earlier prize's white list, and white-listed people an
// earlier prize can draw at random because they are on neither of its lists.
void checkPrizes(const PrizeList& prizes, const EntrantList& names, Findings& findings);

} // namespace kelvora
