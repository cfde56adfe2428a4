#pragma once
// Rendered glyphs of the draw screen, kept as coverage masks so that a frame costs blits instead of
// rasterising. Qt rasterises glyphs taller than 64 pixels as paths on every draw; with five passes per name
// (an outline is four offset copies under the text) fifty names at 60 points took about 100 ms a frame, far
// beyond the 60 frames a second the scroll can ask for. A glyph is rendered here once, through QPainter so
// that its pixels are those of direct drawing, and reused until evicted.
//
// Masks are independent of colour: every pass of a text is one colour, so a pass is the colour blended
// through the glyph's coverage. The outline's four copies are one colour too, and layers of one colour
// commute, so their union is kept as one more mask and blended once.

#include <QRawFont>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace kelvora {

// Coverage (0..255) of a glyph, placed relative to the whole pixel that holds the glyph's origin.
struct GlyphMask {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage; // width x height, row by row

    bool isEmpty() const { return width <= 0 || height <= 0; }
};

struct CachedGlyph {
    GlyphMask main;
    GlyphMask outline; // the main mask moved one pixel right, left, down and up, united
    bool hasOutline = false;
};

class GlyphCache {
public:
    // Enough for about a thousand glyphs at 125 points with their outlines, and for every glyph of a
    // typical name list at the sizes a full screen of names is shown at.
    static constexpr std::size_t kDefaultByteLimit = std::size_t(64) << 20;

    explicit GlyphCache(std::size_t byteLimit = kDefaultByteLimit);
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The glyph drawn with its origin at a pixel corner plus (subX, subY) 64ths of a pixel; the outline mask
    // is made on first request. The entry stays usable while the caller holds it, even if the cache evicts
    // it.
    std::shared_ptr<const CachedGlyph> glyph(const QRawFont& font, quint32 glyphIndex, int subX, int subY,
                                             bool withOutline);

    void clear();
    std::size_t bytes() const { return m_bytes; }
    std::size_t byteLimit() const { return m_byteLimit; }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        std::uint64_t key;
        std::shared_ptr<CachedGlyph> glyph;
    };

    std::uint32_t fontId(const QRawFont& font);
    void account(std::size_t added);

    std::size_t m_byteLimit;
    std::size_t m_bytes = 0;
    std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::uint64_t, std::list<Entry>::iterator> m_index;
    // Holding the fonts keeps their engines alive, so an id never comes to stand for another font.
    std::vector<QRawFont> m_fonts;
    std::size_t m_lastFont = 0;
};

// Renders one glyph's coverage through QPainter (what a direct draw of it would put down in opaque white).
GlyphMask renderGlyphMask(const QRawFont& font, quint32 glyphIndex, int subX, int subY);
// The union of the mask moved by one pixel in each of the four directions.
GlyphMask outlineMask(const GlyphMask& mask);

} // namespace kelvora
