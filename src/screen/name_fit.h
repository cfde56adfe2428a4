#pragma once
// The names the draw screen would cut at a stop: wider than their slot in a text-mode prize's grid. Measured
// with the screen's own band and grid, the scroll area's font and the text primitive's width rule for a
// window of a given size; nothing is rendered, so a list of 30000 names takes a moment, not a show's worth.

#include <string>
#include <vector>

#include "records/entrant.h"
#include "records/prizes.h"
#include "rehearsal/findings.h"
#include "settings/interface_settings.h"

namespace kelvora {

// The window the screen will be shown in and its logical dots per inch, which size the fonts.
struct NameFitScreen {
    int width = 1920;
    int height = 1080;
    int logicalDpiY = 96;
};

struct NameOverflow {
    int prizeIndex = 0;     // into the prize list
    std::u16string name;    // as listed
    int textWidth = 0;      // the line a stop shows: the winner number when shown, digits hidden, the effect
    int availableWidth = 0; // the narrowest slot a full press of the prize uses (0 when there is none)
    friend bool operator==(const NameOverflow&, const NameOverflow&) = default;
};

// Per prize in list order, each distinct non-empty name whose stop line is wider than the slot, widest first
// (names of equal width in list order). A full press shows min(perDraw, quota) names, at most kMaxShown;
// prizes that show none are skipped. Needs a QGuiApplication, which font matching relies on.
std::vector<NameOverflow> findOverflowingNames(const InterfaceSettings& settings, const PrizeList& prizes,
                                               const EntrantList& names, bool spaceAligned,
                                               const NameFitScreen& screen = {});

// One warning a prize with names that do not fit, naming up to three of the widest.
void reportNameFit(const std::vector<NameOverflow>& overflows, const PrizeList& prizes,
                   const NameFitScreen& screen, Findings& findings);

} // namespace kelvora
