#pragma once
// The scroll area in text mode: the entries of the on-screen slots laid out as a grid of the prize's columns
// inside the scroll area's inner rectangle, row by row, a short last row filled from the left. The grid, its
// guides and the winner numbers serve the photo tiles as well.

#include <array>
#include <string>

#include "draw/draw_progress.h"
#include "records/prizes.h"
#include "screen/screen_geometry.h"
#include "screen/screen_paint.h"

class QPainter;

namespace kelvora {

struct TextGrid {
    PixelRect inner;
    int cols = 1;
    int rows = 1;
    double cellW = 0; // real numbers: pixels are taken only where a position is needed
    double cellH = 0;
    int insetX = 0;
    int insetY = 0;

    // The rectangle of slot i: column i mod cols, row i div cols, inset from its cell.
    PixelRect slotRect(int slot) const;
};

// perLine columns (at least one) and as many rows as shownCount needs (one for none). Slots are inset from
// their cells by trunc(cellW * insetXShare) and trunc(cellH * 0.025).
TextGrid layoutScrollGrid(const PixelRect& inner, int perLine, int shownCount, double insetXShare);
// Names keep a twentieth of their cell's width clear on each side.
TextGrid layoutTextGrid(const PixelRect& inner, int perLine, int shownCount);

// The grid's guides: vertical and horizontal lines between the cells, dotted grey; a family of lines is left
// out when its cells are narrower than a pixel.
void drawGridLines(QPainter& painter, const TextGrid& grid);
// The scroll area's guides: its band (the frame's full width) solid, its inner rectangle dashed, the grid.
void drawScrollGuides(QImage& image, const BandGeometry& area, const TextGrid& grid);

// "[" + number zero-padded to the digits of the quota + "] ": quota 100 and number 7 give "[007] ".
std::u16string winnerNumberPrefix(int number, int quota);

// The number each shown slot carries after the stop: the drawn (not forfeited) slots count up to drawnCount
// in slot order, so the press's last winner carries drawnCount. 0 for a forfeited or unshown slot.
std::array<int, kMaxShown> winnerNumbers(const DrawProgress& progress);

// The face the scroll area's names are drawn in: the configured one, except that a space-aligned list needs a
// face whose CJK characters are two spaces wide; when the configured face is not installed, "新宋体" is.
std::u16string scrollFaceName(const FontStyle& scrollFont, bool spaceAligned);

// Draws the shown slots of the press (guides first when showGuides). Forfeited slots stay empty; numbers
// appear only in the Stopped state with showWinnerNumbers set.
void drawTextScrollArea(TextCanvas canvas, const ScreenFont& font, const BandGeometry& area,
                        const DrawProgress& progress, const PrizeItem& prize,
                        const InterfaceSettings& settings, bool showGuides);

} // namespace kelvora
