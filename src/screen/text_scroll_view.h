#pragma once
// The scroll area of a draw in text mode: the names of the press in the prize's grid, in the scroll font at
// the prize's size. The font's glyphs for every name in the pool are rendered ahead on a worker thread as
// soon as a prize becomes current, so that the first frame of a press costs what the others cost.

#include <optional>

#include "screen/glyph_warmer.h"
#include "screen/screen_paint.h"
#include "screen/screen_view.h"

namespace kelvora {

class TextScrollView final : public ScreenView {
public:
    explicit TextScrollView(GlyphCache& glyphs) : m_warmer(glyphs) {}

    void paint(const ViewFrame& frame) override;
    // Stops preparing glyphs and forgets the font.
    void dropFonts() override;

    // A prize became current (or the look changed): makes its font and starts on its glyphs; stops when no
    // prize of a text-mode draw is current.
    void prepare(const ScreenInputs& inputs, int logicalDpiY);
    const GlyphWarmer& warmer() const { return m_warmer; }
    GlyphWarmer& warmer() { return m_warmer; }

private:
    void makeFont(const ScreenInputs& inputs, const PrizeItem& prize, int logicalDpiY);

    std::optional<ScreenFont> m_font;
    GlyphWarmer m_warmer;
};

} // namespace kelvora
