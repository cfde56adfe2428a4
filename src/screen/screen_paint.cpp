#include "screen/screen_paint.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "screen/font_metrics.h"

namespace kelvora {

namespace {

QRgb opaqueColor(ColorRef color) {
    return qRgb(colorRed(color), colorGreen(color), colorBlue(color));
}

// x * a + y * b over 255 per channel, rounded; a + b = 255. The same blend QPainter applies when it draws a
// glyph's coverage in a solid colour, so cached glyphs land on the same values as drawn ones.
inline std::uint32_t interpolate255(std::uint32_t x, std::uint32_t a, std::uint32_t y, std::uint32_t b) {
    std::uint32_t t = (x & 0xff00ff) * a + (y & 0xff00ff) * b;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    std::uint32_t u = ((x >> 8) & 0xff00ff) * a + ((y >> 8) & 0xff00ff) * b;
    u = (u + ((u >> 8) & 0xff00ff) + 0x800080);
    u &= 0xff00ff00;
    return u | t;
}

inline void blendPixel(std::uint32_t& pixel, std::uint32_t coverage, std::uint32_t color) {
    if (coverage == 255)
        pixel = color;
    else if (coverage != 0)
        pixel = interpolate255(color, coverage, pixel, 255 - coverage);
}

#if defined(__SSE2__)
// interpolate255 on four pixels at once, in 16-bit lanes: the products stay below 65536 and the rounding is
// the same, so both paths give the same pixels (0 and 255 included).
inline void blendFour(std::uint32_t* dst, std::uint32_t coverage, __m128i color16) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = _mm_cvtsi32_si128(int(coverage));
    a = _mm_unpacklo_epi8(a, a);
    a = _mm_unpacklo_epi16(a, a); // each pixel's four bytes hold its coverage
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    const __m128i k255 = _mm_set1_epi16(255);
    const __m128i k80 = _mm_set1_epi16(0x80);
    auto half = [&](__m128i a16, __m128i d16) {
        __m128i t =
            _mm_add_epi16(_mm_mullo_epi16(color16, a16), _mm_mullo_epi16(d16, _mm_sub_epi16(k255, a16)));
        t = _mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), k80);
        return _mm_srli_epi16(t, 8);
    };
    const __m128i lo = half(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(d, zero));
    const __m128i hi = half(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(d, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(lo, hi));
}
#endif

// One row of a mask over one row of the image. Most of a glyph's box is empty or solid ink, so runs of
// sixteen mask bytes are skipped or filled without blending.
void blendRow(std::uint32_t* dst, const std::uint8_t* src, int n, std::uint32_t color) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i color16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(color)), _mm_setzero_si128());
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi8(char(0xFF));
    for (; i + 16 <= n; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, zero)) == 0xFFFF)
            continue;
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, full)) == 0xFFFF) {
            std::fill_n(dst + i, 16, color);
            continue;
        }
        for (int k = i; k < i + 16; k += 4) {
            std::uint32_t four;
            std::memcpy(&four, src + k, sizeof four);
            if (four != 0)
                blendFour(dst + k, four, color16);
        }
    }
#endif
    for (; i < n; ++i)
        blendPixel(dst[i], src[i], color);
}

struct Surface {
    std::uint8_t* bits;
    qsizetype stride;
};

// Blends an opaque colour through the mask placed with its origin pixel at (x, y), inside clip only.
void blendMask(const Surface& surface, const GlyphMask& mask, int x, int y, const PixelRect& clip,
               std::uint32_t color) {
    if (mask.isEmpty())
        return;
    const int left = x + mask.left;
    const int top = y + mask.top;
    const int x0 = std::max(left, clip.left);
    const int x1 = std::min(left + mask.width, clip.right);
    const int y0 = std::max(top, clip.top);
    const int y1 = std::min(top + mask.height, clip.bottom);
    if (x0 >= x1)
        return;
    for (int row = y0; row < y1; ++row) {
        const std::uint8_t* src =
            mask.coverage.data() + std::size_t(row - top) * std::size_t(mask.width) + std::size_t(x0 - left);
        auto* dst = reinterpret_cast<std::uint32_t*>(surface.bits + row * surface.stride) + x0;
        blendRow(dst, src, x1 - x0, color);
    }
}

int alignedStart(int start, int end, int extent, int align) {
    if (align == AlignStart)
        return start;
    if (align == AlignEnd)
        return end - extent;
    return int((double(end) - double(start) - double(extent)) * 0.5 + double(start));
}

struct PlacedGlyph {
    int x;
    int y;
    std::shared_ptr<const CachedGlyph> glyph;
};

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

ScreenFont::ScreenFont(const QFont& qfont)
    : font(qfont), metrics(qfont), ascent(metrics.ascent()), height(metrics.height()) {}

ScreenFont createBandFont(const FontStyle& style, int sizePt, bool withItalic, int logicalDpiY) {
    return createBandFont(fieldText(style.faceName), style, sizePt, withItalic, logicalDpiY);
}

ScreenFont createBandFont(std::u16string_view faceName, const FontStyle& style, int sizePt, bool withItalic,
                          int logicalDpiY) {
    QFont font(QString::fromUtf16(faceName.data(), qsizetype(faceName.size())));
    // Qt refuses a size below one pixel; the stored scroll size is never checked, so keep it drawable.
    font.setPixelSize(std::max(1, fontPixelHeight(sizePt, logicalDpiY)));
    font.setWeight(style.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(withItalic && style.italic != 0);
    return ScreenFont(font);
}

TextEffect textEffectOf(std::int32_t stored) {
    switch (stored) {
    case static_cast<std::int32_t>(TextEffect::Shadow):
        return TextEffect::Shadow;
    case static_cast<std::int32_t>(TextEffect::Outline):
        return TextEffect::Outline;
    default:
        return TextEffect::None;
    }
}

std::u16string hideDigitsText(std::u16string_view text, const DigitHiding& hiding, int hideOffset) {
    std::u16string shown(text);
    if (!hiding.enabled)
        return shown;
    // 64-bit: the stored range is only checked for from <= to, and to may be near INT32_MAX.
    const std::int64_t first = std::int64_t(hideOffset) + hiding.from;
    const std::int64_t last = std::int64_t(hideOffset) + hiding.to;
    std::vector<bool> hidden(shown.size(), false);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::int64_t position = std::int64_t(i) + 1;
        hidden[i] = position >= first && position <= last;
    }
    // Half a surrogate pair left visible would show as a broken character.
    for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
        if (isHighSurrogate(shown[i]) && isLowSurrogate(shown[i + 1]) && hidden[i] != hidden[i + 1])
            hidden[i] = hidden[i + 1] = true;
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (hidden[i])
            shown[i] = u'*';
    return shown;
}

int lineAdvance(const ScreenFont& font, const QString& shownText) {
    return font.metrics.horizontalAdvance(shownText);
}

int effectWidth(TextEffect effect) {
    // The offsets drawTextClipped paints the effect at: the shadow at +1, the outline at -1 and +1.
    switch (effect) {
    case TextEffect::Shadow:
        return 1;
    case TextEffect::Outline:
        return 2;
    case TextEffect::None:
        break;
    }
    return 0;
}

void drawTextInRect(TextCanvas canvas, std::u16string_view text, const DigitHiding& hiding, int hideOffset,
                    const ScreenFont& font, ColorRef textColor, TextEffect effect, ColorRef effectColor,
                    const PixelRect& rect, int hAlign, int vAlign) {
    drawTextClipped(canvas, text, hiding, hideOffset, font, textColor, effect, effectColor, rect, rect,
                    hAlign, vAlign);
}

void drawTextClipped(TextCanvas canvas, std::u16string_view text, const DigitHiding& hiding, int hideOffset,
                     const ScreenFont& font, ColorRef textColor, TextEffect effect, ColorRef effectColor,
                     const PixelRect& rect, const PixelRect& clipRect, int hAlign, int vAlign) {
    if (text.empty() || rect.isEmpty() || clipRect.isEmpty())
        return;
    QImage& image = canvas.image;
    if (image.isNull() || image.depth() != 32)
        return;
    const PixelRect clip{std::max(clipRect.left, 0), std::max(clipRect.top, 0),
                         std::min(clipRect.right, image.width()), std::min(clipRect.bottom, image.height())};
    if (clip.isEmpty())
        return;

    const std::u16string shown = hideDigitsText(text, hiding, hideOffset);
    const QString qtext = QString::fromUtf16(shown.data(), qsizetype(shown.size()));
    const int textWidth = lineAdvance(font, qtext);
    const int x = alignedStart(rect.left, rect.right, textWidth, hAlign);
    const int y = alignedStart(rect.top, rect.bottom, font.height, vAlign);

    std::vector<PlacedGlyph> placed;
    placed.reserve(std::size_t(qtext.size()));
    for (const PlacedRun& run : placeGlyphs(qtext, font, x, y)) {
        const std::uint32_t fontId = canvas.glyphs.fontId(run.font);
        for (const GlyphSpot& g : run.glyphs)
            placed.push_back({g.x, g.y, canvas.glyphs.glyph(fontId, run.font, g.index, g.subX, g.subY)});
    }

    const Surface surface{image.bits(), image.bytesPerLine()};
    // Every effect pass of the text goes down before the text itself, as separate draws of the whole text
    // would, and in the same order.
    if (effect == TextEffect::Shadow) {
        for (const PlacedGlyph& g : placed)
            blendMask(surface, g.glyph->mask, g.x + 1, g.y + 1, clip, qRgb(0, 0, 0));
    } else if (effect == TextEffect::Outline) {
        static constexpr int kOffsets[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        const std::uint32_t color = opaqueColor(effectColor);
        for (const auto& offset : kOffsets)
            for (const PlacedGlyph& g : placed)
                blendMask(surface, g.glyph->mask, g.x + offset[0], g.y + offset[1], clip, color);
    }
    const std::uint32_t color = opaqueColor(textColor);
    for (const PlacedGlyph& g : placed)
        blendMask(surface, g.glyph->mask, g.x, g.y, clip, color);
}

namespace {

// The layout's text as one unwrapped line, as QPainter::drawText lays it out; invalid for an empty text.
QTextLine layOutOneLine(QTextLayout& layout) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return line;
}

} // namespace

std::vector<PlacedRun> placeGlyphs(const QString& text, const ScreenFont& font, int x, int y) {
    std::vector<PlacedRun> placed;
    // Lay the line out as QPainter::drawText would, then place each glyph at its position's whole pixel,
    // rendered for the fraction left over.
    QTextLayout layout(text, font.font);
    const QTextLine line = layOutOneLine(layout);
    if (!line.isValid())
        return placed;
    const double baseX = x;
    const double baseY = double(y) + font.ascent - line.ascent();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    placed.reserve(std::size_t(runs.size()));
    for (const QGlyphRun& run : runs) {
        PlacedRun& out = placed.emplace_back();
        out.font = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        out.glyphs.reserve(std::size_t(indexes.size()));
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            // Positions are in 64ths of a pixel already; rounding only undoes the trip through double.
            const std::int64_t fx = std::llround((baseX + positions[i].x()) * 64.0);
            const std::int64_t fy = std::llround((baseY + positions[i].y()) * 64.0);
            out.glyphs.push_back({indexes[i], int(fx >> 6), int(fy >> 6), int(fx & 63), int(fy & 63)});
        }
    }
    return placed;
}

void drawScreenText(QPainter& painter, const QPointF& baseline, const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    const QTextLine line = layOutOneLine(layout);
    if (!line.isValid())
        return;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    const bool anyBold = std::any_of(runs.begin(), runs.end(),
                                     [](const QGlyphRun& run) { return needsOutlineBold(run.rawFont()); });
    if (!anyBold) {
        painter.setFont(font);
        painter.drawText(baseline, text);
        return;
    }
    const QPointF origin(baseline.x(), baseline.y() - line.ascent());
    for (const QGlyphRun& run : runs) {
        const QRawFont rawFont = run.rawFont();
        if (!needsOutlineBold(rawFont)) {
            painter.drawGlyphRun(origin, run);
            continue;
        }
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
            drawGlyph(painter, rawFont, indexes[i], origin + positions[i], true);
    }
}

QPen bandPen() {
    QPen pen(QColor(255, 255, 255), 1, Qt::SolidLine);
    pen.setCosmetic(true);
    return pen;
}

QPen innerPen() {
    QPen pen(QColor(90, 90, 90), 1, Qt::DashDotDotLine);
    pen.setCosmetic(true);
    return pen;
}

QPen gridPen() {
    QPen pen(QColor(90, 90, 90), 1, Qt::DotLine);
    pen.setCosmetic(true);
    return pen;
}

void drawRectOutline(QPainter& painter, bool dashed, int left, int top, int right, int bottom) {
    if (left >= right || top >= bottom)
        return;
    painter.setPen(dashed ? innerPen() : bandPen());
    painter.setBrush(Qt::NoBrush);
    const QPolygon outline{QPoint(left, top), QPoint(right - 1, top), QPoint(right - 1, bottom - 1),
                           QPoint(left, bottom - 1), QPoint(left, top)};
    painter.drawPolyline(outline);
}

} // namespace kelvora
