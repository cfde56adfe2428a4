#pragma once
// Rendered glyphs of the draw screen, kept as coverage masks so that a frame costs blits instead of
// rasterising. Qt rasterises glyphs taller than 64 pixels as paths on every draw; with five passes per name
// (an outline is four offset copies under the text) fifty names at 60 points took about 100 ms a frame, far
// beyond the 60 frames a second the scroll can ask for. A glyph is rendered here once, through QPainter so
// that its pixels are those of direct drawing, and reused until evicted.
//
// Masks are independent of colour: every pass of a text is one colour, so a pass is the colour blended
// through the glyph's coverage. The outline's four copies are the same mask blended at four offsets, as
// direct drawing lays them down, so a glyph keeps one mask whatever its effect.
//
// Bold: our CJK faces have no bold style. Qt makes one up by emboldening glyph bitmaps, but only below 64
// pixels; larger text is filled from the plain outline and comes out in regular weight, so a first prize at
// 60 points showed thinner names than a prize at 47. Where Qt leaves the bold out, the glyph's outline is
// emboldened here by FreeType's own amount, and bold looks the same at every size.
//
// The cache may be filled from another thread (see GlyphWarmer): fonts are told apart by what they are,
// not by the engine of the thread that made them, and every member is safe to call from any thread.

#include <QFont>
#include <QRawFont>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class QPainter;
class QPointF;

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
    GlyphMask mask;
};

// Below this pixel size Qt emboldens glyph bitmaps itself.
inline constexpr qreal kQtBoldLimitPx = 64;

// True when the font asks for bold, its face has no bold of its own (no bold style, weight under 700) and
// Qt would embolden it at small sizes, but not at this one. Bold faces are used as they are, and faces Qt
// never emboldens (fixed pitch) stay regular at every size too.
bool needsOutlineBold(const QRawFont& font);

// Draws one glyph with its origin at origin in the painter's pen colour, as QPainter::drawGlyphRun does,
// with the outline emboldened when outlineBold.
void drawGlyph(QPainter& painter, const QRawFont& font, quint32 glyphIndex, const QPointF& origin,
               bool outlineBold);

// Renders one glyph's coverage through QPainter (what a direct draw of it would put down in opaque white).
GlyphMask renderGlyphMask(const QRawFont& font, quint32 glyphIndex, int subX, int subY, bool outlineBold);

class GlyphCache {
public:
    // Enough for about two thousand glyphs at 125 points, and for every glyph of a typical name list at the
    // sizes a full screen of names is shown at.
    static constexpr std::size_t kDefaultByteLimit = std::size_t(64) << 20;
    // However large a working set is announced, the cache never holds more than this.
    static constexpr std::size_t kMaxByteLimit = std::size_t(512) << 20;

    explicit GlyphCache(std::size_t byteLimit = kDefaultByteLimit);
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The same number for the same face, size and style from whichever thread's font engine asks; kNoFont
    // once a million faces have been seen, and glyphs of that font are then rendered but not kept.
    static constexpr std::uint32_t kNoFont = 0xFFFFFFFFu;
    std::uint32_t fontId(const QRawFont& font);

    // The glyph drawn with its origin at a pixel corner plus (subX, subY) 64ths of a pixel, rendered on
    // first request. The entry stays usable while the caller holds it, even if the cache evicts it.
    std::shared_ptr<const CachedGlyph> glyph(const QRawFont& font, quint32 glyphIndex, int subX, int subY);
    std::shared_ptr<const CachedGlyph> glyph(std::uint32_t fontId, const QRawFont& font, quint32 glyphIndex,
                                             int subX, int subY);

    // The frames of a prize keep cycling through every glyph its names use; under a limit below that, each
    // frame would render what the one before evicted. A warm-up starts a working set, and each glyph it
    // prepares (found or rendered) counts toward it: the limit becomes the base limit plus the working set,
    // within kMaxByteLimit. Returns the glyph's bytes.
    void beginWorkingSet();
    std::size_t prepare(std::uint32_t fontId, const QRawFont& font, quint32 glyphIndex, int subX, int subY);

    void clear();
    std::size_t bytes() const;
    std::size_t byteLimit() const;
    std::size_t size() const;

private:
    struct Entry {
        std::uint64_t key;
        std::shared_ptr<CachedGlyph> glyph;
        std::size_t bytes;
    };
    // What makes two fonts draw the same pixels.
    struct FontFace {
        QString family;
        QString style;
        qreal pixelSize;
        int weight;
        QFont::Style slant;
        QFont::HintingPreference hinting;
        bool outlineBold;
    };

    std::shared_ptr<CachedGlyph> find(std::uint64_t key);
    std::shared_ptr<CachedGlyph> lookupOrRender(std::uint32_t fontId, const QRawFont& font,
                                                quint32 glyphIndex, int subX, int subY, std::size_t* bytes);
    void evictOverLimit();
    std::size_t limit() const;

    mutable std::mutex m_mutex;
    std::size_t m_baseLimit;
    std::size_t m_workingSet = 0;
    std::size_t m_bytes = 0;
    std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::uint64_t, std::list<Entry>::iterator> m_index;
    std::vector<FontFace> m_faces;
};

} // namespace kelvora
