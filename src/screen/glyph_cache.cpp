#include "screen/glyph_cache.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

// Font ids are packed into 20 bits of the key.
constexpr std::size_t kMaxFonts = std::size_t(1) << 20;
// Bookkeeping of one entry beyond its mask: list node, index node, the glyph's own fields.
constexpr std::size_t kEntryOverhead = 160;

std::uint64_t packKey(std::uint32_t fontId, quint32 glyphIndex, int subX, int subY) {
    return (std::uint64_t(fontId) << 44) | (std::uint64_t(glyphIndex) << 12) |
           (std::uint64_t(subX & 63) << 6) | std::uint64_t(subY & 63);
}

std::size_t entryBytes(const CachedGlyph& glyph) {
    return glyph.mask.coverage.size() + kEntryOverhead;
}

// Ink touching the edge of the tile may have been cut off; the caller then renders again with more room.
bool inkAtEdge(const QImage& tile) {
    const int w = tile.width();
    const int h = tile.height();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(tile.constScanLine(y));
        if (y == 0 || y == h - 1) {
            for (int x = 0; x < w; ++x)
                if (qAlpha(row[x]))
                    return true;
        } else if (qAlpha(row[0]) || qAlpha(row[w - 1])) {
            return true;
        }
    }
    return false;
}

template <typename T> T bigEndianAt(const QByteArray& table, qsizetype offset) {
    if (offset < 0 || offset + qsizetype(sizeof(T)) > table.size())
        return T(0);
    return qFromBigEndian<T>(table.constData() + offset);
}

// FreeType's synthetic bold (FT_GlyphSlot_Embolden, which Qt applies to its bitmaps): the outline grows by
// pixel size / 24 in width and in height, half of it on each side of every stroke, and moves right and up by
// half of that, so that the glyph keeps its left and bottom edges.
qreal boldStrength(const QRawFont& font) {
    return font.pixelSize() / 24.0;
}

struct Vec {
    double x;
    double y;
};

// The same emboldening on the outline Qt hands out: every point of a contour, control points included,
// moves along the bisector of its two edges so that each edge lies half the strength further out (away
// from the ink on outer contours, into the counter on inner ones). Moving points is one pass over the
// outline; stroking it with a wide pen instead cost five times the fill.
QPainterPath emboldenedOutline(const QPainterPath& outline, qreal strength) {
    const double half = strength / 2;
    const int count = outline.elementCount();
    std::vector<Vec> points(static_cast<std::size_t>(count));
    std::vector<int> contourStarts;
    double area = 0;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = outline.elementAt(i);
        points[std::size_t(i)] = {e.x, e.y};
        if (e.isMoveTo())
            contourStarts.push_back(i);
    }
    contourStarts.push_back(count);
    for (std::size_t c = 0; c + 1 < contourStarts.size(); ++c) {
        const int first = contourStarts[c];
        const int last = contourStarts[c + 1] - 1;
        for (int i = first; i <= last; ++i) {
            const Vec& a = points[std::size_t(i)];
            const Vec& b = points[std::size_t(i < last ? i + 1 : first)];
            area += a.x * b.y - b.x * a.y;
        }
    }
    // Which side of the direction of travel is outside: the outer contours decide, being the larger.
    const double side = area >= 0 ? 1.0 : -1.0;

    QPainterPath bold = outline;
    bold.setFillRule(Qt::WindingFill); // emboldened strokes overlap more than the font's did
    for (std::size_t c = 0; c + 1 < contourStarts.size(); ++c) {
        const int first = contourStarts[c];
        const int last = contourStarts[c + 1] - 1;
        const int n = last - first + 1;
        auto at = [&](int k) -> const Vec& { return points[std::size_t(first + ((k % n) + n) % n)]; };
        for (int i = 0; i < n; ++i) {
            const Vec& p = at(i);
            // The neighbours that differ from the point: contours repeat their start at their end.
            int back = 1;
            while (back < n && at(i - back).x == p.x && at(i - back).y == p.y)
                ++back;
            int ahead = 1;
            while (ahead < n && at(i + ahead).x == p.x && at(i + ahead).y == p.y)
                ++ahead;
            Vec shift{0, 0};
            if (back < n && ahead < n) {
                const Vec& a = at(i - back);
                const Vec& b = at(i + ahead);
                const double lIn = std::hypot(p.x - a.x, p.y - a.y);
                const double lOut = std::hypot(b.x - p.x, b.y - p.y);
                const Vec in{(p.x - a.x) / lIn, (p.y - a.y) / lIn};
                const Vec out{(b.x - p.x) / lOut, (b.y - p.y) / lOut};
                const double d = 1 + in.x * out.x + in.y * out.y;
                // A turn sharper than about 160 degrees would throw the point far out: it stays.
                if (d > 1.0 / 16) {
                    // Where the two moved edges meet: the sum of their outward normals over 1 + cos(turn).
                    // At an inward corner between short edges that point overshoots them, and the edges
                    // are moved only as far as the shorter one allows.
                    const double q = -side * (in.x * out.y - in.y * out.x);
                    const double l = std::min(lIn, lOut);
                    const double scale = half * q <= l * d ? half / d : l / q;
                    shift = {side * (in.y + out.y) * scale, -side * (in.x + out.x) * scale};
                }
            }
            bold.setElementPositionAt(first + i, p.x + shift.x + half, p.y + shift.y - half);
        }
    }
    return bold;
}

} // namespace

bool needsOutlineBold(const QRawFont& font) {
    if (!font.isValid() || font.weight() < QFont::Bold || font.pixelSize() < kQtBoldLimitPx)
        return false;
    // The checks Qt's FreeType engine makes before it emboldens, read from the same tables FreeType reads
    // them from: without an OS/2 table, or for a fixed-pitch face, Qt never emboldens.
    const QByteArray os2 = font.fontTable("OS/2");
    if (os2.size() < 64)
        return false;
    const auto version = bigEndianAt<quint16>(os2, 0);
    const auto weightClass = bigEndianAt<quint16>(os2, 4);
    const bool boldStyle = version != 0xFFFF ? (bigEndianAt<quint16>(os2, 62) & 0x20) != 0
                                             : (bigEndianAt<quint16>(font.fontTable("head"), 44) & 1) != 0;
    const bool fixedPitch = bigEndianAt<quint32>(font.fontTable("post"), 12) != 0;
    return !boldStyle && weightClass < 700 && !fixedPitch;
}

void drawGlyph(QPainter& painter, const QRawFont& font, quint32 glyphIndex, const QPointF& origin,
               bool outlineBold) {
    if (!outlineBold) {
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(QList<quint32>{glyphIndex});
        run.setPositions(QList<QPointF>{QPointF(0, 0)});
        painter.drawGlyphRun(origin, run);
        return;
    }
    QPainterPath path = emboldenedOutline(font.pathForGlyph(glyphIndex), boldStrength(font));
    path.translate(origin);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, painter.pen().color());
    painter.restore();
}

GlyphMask renderGlyphMask(const QRawFont& font, quint32 glyphIndex, int subX, int subY, bool outlineBold) {
    GlyphMask mask;
    if (!font.isValid())
        return mask;
    QRectF box = font.boundingRect(glyphIndex);
    if (box.isEmpty()) {
        // Some fonts report no box for glyphs that still have ink; fall back to the em box.
        const qreal advance = font.advancesForGlyphIndexes(QList<quint32>{glyphIndex}).value(0).x();
        box = QRectF(0, -font.ascent(), std::max<qreal>(advance, 1), font.ascent() + font.descent());
    }
    // Synthetic bold and anti-aliasing reach beyond the outline's box.
    int pad = 2 + int(font.pixelSize() / 16);
    for (int attempt = 0; attempt < 4; ++attempt, pad *= 2) {
        const int originX = pad - int(std::floor(box.left()));
        const int originY = pad - int(std::floor(box.top()));
        const int width = int(std::ceil(box.width())) + 2 * pad + 2;
        const int height = int(std::ceil(box.height())) + 2 * pad + 2;
        QImage tile(width, height, QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        {
            QPainter painter(&tile);
            painter.setPen(QColor(255, 255, 255));
            drawGlyph(painter, font, glyphIndex, QPointF(originX + subX / 64.0, originY + subY / 64.0),
                      outlineBold);
        }
        if (inkAtEdge(tile) && attempt < 3)
            continue;

        // The ink's box; premultiplied pixels without coverage are zero throughout.
        int x0 = width, y0 = height, x1 = 0, y1 = 0;
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(tile.constScanLine(y));
            int first = 0;
            while (first < width && row[first] == 0)
                ++first;
            if (first == width)
                continue;
            int last = width - 1;
            while (row[last] == 0)
                --last;
            x0 = std::min(x0, first);
            x1 = std::max(x1, last + 1);
            y0 = std::min(y0, y);
            y1 = y + 1;
        }
        if (x0 >= x1)
            return mask; // no ink: a space
        mask.left = x0 - originX;
        mask.top = y0 - originY;
        mask.width = x1 - x0;
        mask.height = y1 - y0;
        mask.coverage.resize(std::size_t(mask.width) * std::size_t(mask.height));
        for (int y = 0; y < mask.height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(tile.constScanLine(y0 + y));
            std::uint8_t* out = mask.coverage.data() + std::size_t(y) * std::size_t(mask.width);
            for (int x = 0; x < mask.width; ++x)
                out[x] = std::uint8_t(qAlpha(row[x0 + x]));
        }
        return mask;
    }
    return mask;
}

GlyphCache::GlyphCache(std::size_t byteLimit) : m_baseLimit(byteLimit) {}

std::uint32_t GlyphCache::fontId(const QRawFont& font) {
    FontFace face{font.familyName(),
                  font.styleName(),
                  font.pixelSize(),
                  font.weight(),
                  font.style(),
                  font.hintingPreference(),
                  false};
    auto same = [&face](const FontFace& f) {
        return f.pixelSize == face.pixelSize && f.weight == face.weight && f.slant == face.slant &&
               f.hinting == face.hinting && f.family == face.family && f.style == face.style;
    };
    {
        const std::lock_guard lock(m_mutex);
        // Newest first: a frame's fonts are almost always the last ones made.
        for (std::size_t i = m_faces.size(); i-- > 0;)
            if (same(m_faces[i]))
                return std::uint32_t(i);
    }
    face.outlineBold = needsOutlineBold(font); // reads font tables: outside the lock
    const std::lock_guard lock(m_mutex);
    for (std::size_t i = m_faces.size(); i-- > 0;)
        if (same(m_faces[i]))
            return std::uint32_t(i);
    // Ids are never reused: another thread may still hold one while it renders.
    if (m_faces.size() >= kMaxFonts)
        return kNoFont;
    m_faces.push_back(face);
    return std::uint32_t(m_faces.size() - 1);
}

std::shared_ptr<CachedGlyph> GlyphCache::find(std::uint64_t key) {
    const auto found = m_index.find(key);
    if (found == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return found->second->glyph;
}

std::shared_ptr<CachedGlyph> GlyphCache::lookupOrRender(std::uint32_t fontId, const QRawFont& font,
                                                        quint32 glyphIndex, int subX, int subY,
                                                        std::size_t* bytes) {
    const std::uint64_t key = packKey(fontId, glyphIndex, subX, subY);
    bool outlineBold = false;
    if (fontId != kNoFont) {
        const std::lock_guard lock(m_mutex);
        if (auto glyph = find(key)) {
            if (bytes)
                *bytes = entryBytes(*glyph);
            return glyph;
        }
        outlineBold = fontId < m_faces.size() && m_faces[fontId].outlineBold;
    } else {
        outlineBold = needsOutlineBold(font);
    }
    // Rendering takes the bulk of the time and needs no lock; two threads that miss the same glyph at once
    // render it twice and keep the first.
    auto glyph = std::make_shared<CachedGlyph>();
    glyph->mask = renderGlyphMask(font, glyphIndex, subX, subY, outlineBold);
    const std::size_t added = entryBytes(*glyph);
    if (bytes)
        *bytes = added;
    if (fontId == kNoFont)
        return glyph;
    const std::lock_guard lock(m_mutex);
    if (auto raced = find(key))
        return raced;
    m_entries.push_front(Entry{key, glyph, added});
    m_index.emplace(key, m_entries.begin());
    m_bytes += added;
    evictOverLimit();
    return glyph;
}

std::shared_ptr<const CachedGlyph> GlyphCache::glyph(const QRawFont& font, quint32 glyphIndex, int subX,
                                                     int subY) {
    return glyph(fontId(font), font, glyphIndex, subX, subY);
}

std::shared_ptr<const CachedGlyph> GlyphCache::glyph(std::uint32_t fontId, const QRawFont& font,
                                                     quint32 glyphIndex, int subX, int subY) {
    return lookupOrRender(fontId, font, glyphIndex, subX, subY, nullptr);
}

void GlyphCache::beginWorkingSet() {
    const std::lock_guard lock(m_mutex);
    m_workingSet = 0;
}

std::size_t GlyphCache::prepare(std::uint32_t fontId, const QRawFont& font, quint32 glyphIndex, int subX,
                                int subY) {
    std::size_t bytes = 0;
    lookupOrRender(fontId, font, glyphIndex, subX, subY, &bytes);
    const std::lock_guard lock(m_mutex);
    m_workingSet += bytes;
    return bytes;
}

std::size_t GlyphCache::limit() const {
    return std::clamp(m_baseLimit + m_workingSet, m_baseLimit, std::max(m_baseLimit, kMaxByteLimit));
}

void GlyphCache::evictOverLimit() {
    const std::size_t cap = limit();
    // The entry just used stays even when it alone is over the limit: the caller is about to draw it.
    while (m_bytes > cap && m_entries.size() > 1) {
        const Entry& last = m_entries.back();
        m_bytes -= last.bytes;
        m_index.erase(last.key);
        m_entries.pop_back();
    }
}

void GlyphCache::clear() {
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_index.clear();
    m_bytes = 0;
    m_workingSet = 0;
}

std::size_t GlyphCache::bytes() const {
    const std::lock_guard lock(m_mutex);
    return m_bytes;
}

std::size_t GlyphCache::byteLimit() const {
    const std::lock_guard lock(m_mutex);
    return limit();
}

std::size_t GlyphCache::size() const {
    const std::lock_guard lock(m_mutex);
    return m_entries.size();
}

} // namespace kelvora
