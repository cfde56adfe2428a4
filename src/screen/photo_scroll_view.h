#pragma once
// The scroll area of a draw in picture mode: the photos of the press in the prize's grid, fitted into their
// cells, cropped to an ellipse, a circle or not at all, with their names as captions on the photo, below it
// or not at all. The tiles are kept between frames (PhotoTileCache) and dropped with the fonts, when the
// prize or the look changes.

#include <optional>

#include "screen/photo_tiles.h"
#include "screen/screen_paint.h"
#include "screen/screen_view.h"

namespace kelvora {

class PhotoScrollView final : public ScreenView {
public:
    void paint(const ViewFrame& frame) override;
    // Forgets the font and every kept tile.
    void dropFonts() override;

    const PhotoTileCache& tiles() const { return m_tiles; }

private:
    std::optional<ScreenFont> m_font;
    int m_lineHeight = 0; // of a caption line in m_font
    PhotoTileCache m_tiles;
};

} // namespace kelvora
