#include "screen/glyph_cache.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

// Ids are packed into 20 bits of the key; a program that somehow meets a million fonts starts over.
constexpr std::size_t kMaxFonts = std::size_t(1) << 20;
// Bookkeeping of one entry beyond its masks: list node, index node, the glyph's own fields.
constexpr std::size_t kEntryOverhead = 160;

std::uint64_t packKey(std::uint32_t fontId, quint32 glyphIndex, int subX, int subY) {
    return (std::uint64_t(fontId) << 44) | (std::uint64_t(glyphIndex) << 12) |
           (std::uint64_t(subX & 63) << 6) | std::uint64_t(subY & 63);
}

std::size_t maskBytes(const GlyphMask& mask) {
    return mask.coverage.size();
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

} // namespace

GlyphMask renderGlyphMask(const QRawFont& font, quint32 glyphIndex, int subX, int subY) {
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
            QGlyphRun run;
            run.setRawFont(font);
            run.setGlyphIndexes(QList<quint32>{glyphIndex});
            run.setPositions(QList<QPointF>{QPointF(0, 0)});
            painter.drawGlyphRun(QPointF(originX + subX / 64.0, originY + subY / 64.0), run);
        }
        if (inkAtEdge(tile) && attempt < 3)
            continue;

        int x0 = width, y0 = height, x1 = 0, y1 = 0;
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(tile.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                if (qAlpha(row[x])) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x + 1);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y + 1);
                }
            }
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

GlyphMask outlineMask(const GlyphMask& mask) {
    GlyphMask out;
    if (mask.isEmpty())
        return out;
    out.left = mask.left - 1;
    out.top = mask.top - 1;
    out.width = mask.width + 2;
    out.height = mask.height + 2;
    out.coverage.assign(std::size_t(out.width) * std::size_t(out.height), 0);
    // The four copies in the order they are drawn; u = u + a (1 - u) is one copy laid over the others.
    static constexpr int kOffsets[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& offset : kOffsets) {
        for (int y = 0; y < mask.height; ++y) {
            const std::uint8_t* src = mask.coverage.data() + std::size_t(y) * std::size_t(mask.width);
            std::uint8_t* dst = out.coverage.data() +
                                std::size_t(y + 1 + offset[1]) * std::size_t(out.width) +
                                std::size_t(1 + offset[0]);
            for (int x = 0; x < mask.width; ++x) {
                const unsigned a = src[x];
                if (!a)
                    continue;
                const unsigned u = dst[x];
                const unsigned t = a * (255 - u) + 0x80;
                dst[x] = std::uint8_t(u + ((t + (t >> 8)) >> 8));
            }
        }
    }
    return out;
}

GlyphCache::GlyphCache(std::size_t byteLimit) : m_byteLimit(byteLimit) {}

std::uint32_t GlyphCache::fontId(const QRawFont& font) {
    // A frame uses one or two fonts, so the last one found answers almost every call.
    if (m_lastFont < m_fonts.size() && m_fonts[m_lastFont] == font)
        return std::uint32_t(m_lastFont);
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i] == font) {
            m_lastFont = i;
            return std::uint32_t(i);
        }
    }
    if (m_fonts.size() >= kMaxFonts)
        clear();
    m_fonts.push_back(font);
    m_lastFont = m_fonts.size() - 1;
    return std::uint32_t(m_lastFont);
}

std::shared_ptr<const CachedGlyph> GlyphCache::glyph(const QRawFont& font, quint32 glyphIndex, int subX,
                                                     int subY, bool withOutline) {
    const std::uint64_t key = packKey(fontId(font), glyphIndex, subX, subY);
    std::shared_ptr<CachedGlyph> glyph;
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, found->second);
        glyph = found->second->glyph;
    } else {
        glyph = std::make_shared<CachedGlyph>();
        glyph->main = renderGlyphMask(font, glyphIndex, subX, subY);
        m_entries.push_front(Entry{key, glyph});
        m_index.emplace(key, m_entries.begin());
        account(maskBytes(glyph->main) + kEntryOverhead);
    }
    if (withOutline && !glyph->hasOutline) {
        glyph->outline = outlineMask(glyph->main);
        glyph->hasOutline = true;
        account(maskBytes(glyph->outline));
    }
    return glyph;
}

void GlyphCache::account(std::size_t added) {
    m_bytes += added;
    // The entry just used stays even when it alone is over the limit: the caller is about to draw it.
    while (m_bytes > m_byteLimit && m_entries.size() > 1) {
        const Entry& last = m_entries.back();
        m_bytes -= maskBytes(last.glyph->main) + maskBytes(last.glyph->outline) + kEntryOverhead;
        m_index.erase(last.key);
        m_entries.pop_back();
    }
}

void GlyphCache::clear() {
    m_entries.clear();
    m_index.clear();
    m_fonts.clear();
    m_lastFont = 0;
    m_bytes = 0;
}

} // namespace kelvora
