#pragma once
// The layout of the two rolls: every line and tile positioned once, when the roll starts, relative to the
// roll's origin (top 0 is the first line), so that a frame only shifts them up and draws the visible ones.
//
// An item keeps its texts in std::u16string rather than fixed arrays: a name of up to seven units and every
// winner number stay inside the string's own buffer, so the 30000 items of a large list take some 2.6 MB
// instead of 10 MB, and laying them out is one pass without copying whole entrant records.

#include <string>
#include <string_view>
#include <vector>

#include "draw/draw_progress.h"
#include "records/entrant.h"
#include "screen/screen_geometry.h"
#include "settings/interface_settings.h"

namespace kelvora {

struct RollItem {
    std::u16string prefix; // the winner number, or empty
    std::u16string text;   // the entrant's name, or a heading's text
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool isHeading = false;
};

// The numbers a layout is made from: the roll area, its columns and the heights of its rows.
struct RollMetrics {
    PixelRect area;      // the scroll band inside the roll's own margins
    int namesPerRow = 1; // clamped to 1..5
    double rowH = 0;     // a row of names or tiles
    double headH = 0;    // a heading, and the gap after a prize
    bool numbered = false;
    bool photoTiles =
        false; // picture mode showing the photos themselves: a prize's gap is half as tall again

    double cellW() const;
};

// The scroll band inside margins that are shares of the window width (left, right) and of the band's height
// (top, bottom), as every band of the screen takes its margins.
PixelRect rollArea(const PixelRect& band, const Margins& margins, int windowWidth);

// Names advance by one and a half lines; photo tiles take the cell's width at the photos' aspect ratio, plus
// one and a half caption lines when the caption stands below the photo.
double rollRowHeight(int lineH, double cellW, bool photoTiles, double aspectRatio, bool captionOutside);

// The replay: all prizes (replayPrize empty), each under a heading "prize（count）", last drawn first when
// reversed; or the one prize named (ignoring letter case) without a heading. Numbers restart at 1 for each
// prize and are padded to the digits of its winner count.
std::vector<RollItem> layoutReplay(const WinnerList& winners, std::u16string_view replayPrize,
                                   bool reverseOrder, const RollMetrics& metrics);

// The full list: every entry row by row, numbered through the whole list.
std::vector<RollItem> layoutFullList(const EntrantList& entries, const RollMetrics& metrics);

} // namespace kelvora
