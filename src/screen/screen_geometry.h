#pragma once
// The division of the draw screen into its four bands, top to bottom: main title, subtitle, info bar and the
// scroll area, which takes what is left. Heights are percentages of the window height; inner margins are
// shares of the window width (left, right) and of the band's own height (top, bottom). Every pixel value is
// computed in floating point and truncated toward zero, in the operand order given with each formula: the
// order decides the last pixel for some values.

#include "settings/interface_settings.h"

namespace kelvora {

enum class Band { MainTitle, Subtitle, InfoBar, ScrollArea };

// A rectangle in whole pixels: [left, right) x [top, bottom).
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool isEmpty() const { return left >= right || top >= bottom; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct BandGeometry {
    PixelRect band;  // full width, the band's own height
    PixelRect inner; // inside the band's margins
};

// The band and its inner rectangle on a width x height window.
BandGeometry computeBandGeometry(Band band, const InterfaceSettings& settings, int width, int height);

// Where the floating prize picture of imageWidth x imageHeight stands: in its column at the left or right
// edge, centred across it and standing on the bottom margin, scaled to fit with its aspect kept. Empty when
// the column is switched off (0 %), the picture has no size, or nothing is left inside the margins.
PixelRect prizePictureRect(const InterfaceSettings& settings, int width, int height, int imageWidth,
                           int imageHeight);

} // namespace kelvora
