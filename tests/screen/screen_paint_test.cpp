#include "screen/screen_paint.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace kelvora {
namespace {

// What the primitive stands for: the text drawn pass by pass with QPainter, clipped to the rectangle (with
// the bold Qt leaves out of large text put in, see BoldInkIsTheSameAtEverySize).
void drawDirect(QImage& image, std::u16string_view text, const ScreenFont& font, ColorRef textColor,
                TextEffect effect, ColorRef effectColor, const PixelRect& r, int hAlign, int vAlign) {
    const QString qtext = QString::fromUtf16(text.data(), qsizetype(text.size()));
    const int w = font.metrics.horizontalAdvance(qtext);
    auto place = [](int start, int end, int extent, int align) {
        return align == 0 ? start : align == 2 ? end - extent : int((end - start - extent) * 0.5 + start);
    };
    const int x = place(r.left, r.right, w, hAlign);
    const int y = place(r.top, r.bottom, font.height, vAlign) + font.ascent;
    QPainter painter(&image);
    painter.setClipRect(QRect(r.left, r.top, r.width(), r.height()));
    auto pass = [&](QColor color, int dx, int dy) {
        painter.setPen(color);
        drawScreenText(painter, QPointF(x + dx, y + dy), qtext, font.font);
    };
    const QColor effectQ(colorRed(effectColor), colorGreen(effectColor), colorBlue(effectColor));
    if (effect == TextEffect::Shadow)
        pass(Qt::black, 1, 1);
    if (effect == TextEffect::Outline) {
        pass(effectQ, 1, 0);
        pass(effectQ, -1, 0);
        pass(effectQ, 0, 1);
        pass(effectQ, 0, -1);
    }
    pass(QColor(colorRed(textColor), colorGreen(textColor), colorBlue(textColor)), 0, 0);
}

// Cached glyphs are blended with the arithmetic QPainter uses for glyph coverage, so most pixels match
// exactly and the rest differ by rounding (a level or two; the outline's four copies are blended as one).
// Where two glyphs share a pixel, Qt's path fill for large sizes unites their coverage while cached glyphs
// are layered: at most a quarter of full coverage apart (a + b against a + b - ab at a = b = 0.5), and rare.
void expectSameText(const QImage& direct, const QImage& cached, const QImage& before,
                    const std::string& what) {
    int ink = 0;
    int beyondRounding = 0;
    int worst = 0;
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x) {
            const QRgb d = direct.pixel(x, y);
            const QRgb c = cached.pixel(x, y);
            ink += d != before.pixel(x, y);
            const int diff = std::max({std::abs(qRed(d) - qRed(c)), std::abs(qGreen(d) - qGreen(c)),
                                       std::abs(qBlue(d) - qBlue(c)), std::abs(qAlpha(d) - qAlpha(c))});
            worst = std::max(worst, diff);
            beyondRounding += diff > 3;
        }
    }
    EXPECT_GT(ink, 0) << what;
    EXPECT_LE(worst, 64) << what;
    EXPECT_LE(beyondRounding * 500, ink) << what << ": " << beyondRounding << " of " << ink << " ink pixels";
}

QImage canvasImage() {
    QImage image(700, 240, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(200, 30, 40));
    return image;
}

TEST(ScreenPaint, CachedGlyphsDrawWhatQPainterDraws) {
    // Sizes on both sides of the 64-pixel line where Qt switches from its glyph cache to paths; faces whose
    // digits advance by half pixels; every effect; alignments that overhang and are cut by the rectangle.
    struct Case {
        const char16_t* face;
        int pt;
        int hAlign;
        int vAlign;
        PixelRect rect;
    };
    const Case cases[] = {
        {u"楷体", 22, AlignCenter, AlignCenter, {10, 10, 690, 230}},
        {u"黑体", 60, AlignStart, AlignEnd, {40, 10, 690, 230}},
        {u"仿宋", 60, AlignEnd, AlignStart, {10, 30, 600, 200}},
        {u"楷体", 125, AlignCenter, AlignCenter, {100, 40, 600, 180}},
        {u"黑体", 17, AlignCenter, AlignCenter, {0, 0, 700, 240}},
    };
    const std::u16string text = u"张三丰 Wy1390*45";
    for (const Case& c : cases) {
        for (TextEffect effect : {TextEffect::None, TextEffect::Shadow, TextEffect::Outline}) {
            const FontStyle style = makeFontStyle(c.face, c.pt, true, effect, kColorGrey, kColorLightYellow);
            const ScreenFont font = createBandFont(style, c.pt, false, 96);
            const QImage before = canvasImage();
            QImage direct = before.copy();
            QImage cached = before.copy();
            GlyphCache glyphs;
            drawDirect(direct, text, font, style.textColor, effect, style.effectColor, c.rect, c.hAlign,
                       c.vAlign);
            drawTextInRect({cached, glyphs}, text, {}, 0, font, style.textColor, effect, style.effectColor,
                           c.rect, c.hAlign, c.vAlign);
            expectSameText(direct, cached, before,
                           test::u8(c.face) + " " + std::to_string(c.pt) + "pt effect " +
                               std::to_string(int(effect)));
        }
    }
}

// Ink of white text on black, as a share of one pixel per pixel: the sum of coverage.
double inkOf(const QImage& image) {
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ink += qRed(row[x]) / 255.0;
    }
    return ink;
}

QFont pixelFont(const char* family, int px, bool bold) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(px);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

// Ink per px² of a line drawn by the text primitive, or by QPainter::drawText when direct.
double inkPerPx2(const QFont& qfont, bool direct = false, std::u16string_view text = u"青松公司王小明") {
    const ScreenFont font(qfont);
    const int px = qfont.pixelSize();
    QImage image(px * int(text.size() + 2), px * 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    if (direct) {
        QPainter painter(&image);
        painter.setFont(qfont);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(px, px / 2 + font.ascent), QString::fromUtf16(text.data(), text.size()));
    } else {
        GlyphCache glyphs;
        drawTextInRect({image, glyphs}, text, {}, 0, font, 0xFFFFFF, TextEffect::None, 0,
                       PixelRect{0, 0, image.width(), image.height()}, AlignCenter, AlignCenter);
    }
    return inkOf(image) / (double(px) * px);
}

// Qt emboldens our CJK faces only below 64 pixels; above, the cache emboldens the outline by FreeType's
// amount. A bold name must not turn thin at 64 pixels, nor heavier than at 63; regular text keeps its weight.
TEST(ScreenPaint, BoldInkIsTheSameAtEverySize) {
    for (const char* face : {"楷体", "黑体", "仿宋"}) {
        const double bold40 = inkPerPx2(pixelFont(face, 40, true));
        const double regular40 = inkPerPx2(pixelFont(face, 40, false));
        EXPECT_GT(bold40, regular40 * 1.4) << face << ": bold shows";
        // Below the limit the pixels are Qt's own.
        for (const int px : {40, 63}) {
            EXPECT_NEAR(inkPerPx2(pixelFont(face, px, true)), inkPerPx2(pixelFont(face, px, true), true),
                        bold40 * 0.005)
                << face << " " << px << " px";
        }
        for (const int px : {16, 63, 64, 65, 80, 125, 166, 170}) {
            EXPECT_NEAR(inkPerPx2(pixelFont(face, px, true)) / bold40, 1.0, 0.10) << face << " bold " << px;
            EXPECT_NEAR(inkPerPx2(pixelFont(face, px, false)) / regular40, 1.0, 0.10)
                << face << " regular " << px;
        }
    }
}

TEST(ScreenPaint, OnlyBoldMissingFromLargeTextIsMadeUp) {
    struct Case {
        const char* family;
        int px;
        bool bold;
        bool madeUp;
    };
    const Case cases[] = {
        {"楷体", 64, true, true},
        {"楷体", 170, true, true},
        {"黑体", 80, true, true},
        {"仿宋", 80, true, true},
        {"楷体", 63, true, false}, // Qt's own bitmap bold
        {"楷体", 80, false, false},
        {"DejaVu Sans", 80, true, false}, // a face with a bold of its own
        {"DejaVu Sans Mono", 80, true, false},
    };
    for (const Case& c : cases) {
        const QRawFont raw = QRawFont::fromFont(pixelFont(c.family, c.px, c.bold));
        EXPECT_EQ(needsOutlineBold(raw), c.madeUp) << c.family << " " << c.px << " px";
    }
    // The real bold face is drawn as it is (its CJK would come from a fallback face, which is emboldened).
    const QFont dejaVu = pixelFont("DejaVu Sans", 80, true);
    EXPECT_NEAR(inkPerPx2(dejaVu, false, u"Kelvora 2016"), inkPerPx2(dejaVu, true, u"Kelvora 2016"), 0.005);
}

TEST(ScreenPaint, NothingLeavesTheRectangle) {
    const FontStyle style =
        makeFontStyle(u"黑体", 60, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    const ScreenFont font = createBandFont(style, 60, false, 96);
    const QImage before = canvasImage();
    QImage image = before.copy();
    GlyphCache glyphs;
    const PixelRect rect{100, 50, 300, 120}; // far narrower and lower than the text
    drawTextInRect({image, glyphs}, u"青松公司二零一六年终晚会", {}, 0, font, style.textColor,
                   TextEffect::Outline, style.effectColor, rect, AlignCenter, AlignCenter);
    int inside = 0;
    bool leftEdge = false;
    bool rightEdge = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == before.pixel(x, y))
                continue;
            const bool in = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            ASSERT_TRUE(in) << "ink at " << x << "," << y;
            ++inside;
            leftEdge |= x == rect.left;
            rightEdge |= x == rect.right - 1;
        }
    }
    EXPECT_GT(inside, 500);
    EXPECT_TRUE(leftEdge && rightEdge) << "centred on the rectangle and cut at both sides";

    // Rectangles partly or wholly off the image, and empty ones, are safe.
    QImage untouched = before.copy();
    for (const PixelRect r : {PixelRect{-50, -50, 0, 0}, PixelRect{690, 230, 2000, 2000},
                              PixelRect{10, 10, 10, 90}, PixelRect{10, 90, 200, 90}}) {
        drawTextInRect({untouched, glyphs}, u"张三", {}, 0, font, style.textColor, TextEffect::Shadow,
                       style.effectColor, r, AlignCenter, AlignCenter);
    }
    drawTextInRect({untouched, glyphs}, u"", {}, 0, font, style.textColor, TextEffect::Shadow,
                   style.effectColor, PixelRect{0, 0, 700, 240}, AlignCenter, AlignCenter);
    for (int y = 0; y < 230; ++y)
        for (int x = 0; x < 690; ++x)
            ASSERT_EQ(untouched.pixel(x, y), before.pixel(x, y)) << x << "," << y;
}

// Eviction while a text is being drawn must not take glyphs the text still needs, and memory stays bounded.
TEST(ScreenPaint, GlyphCacheStaysWithinItsLimit) {
    const FontStyle style =
        makeFontStyle(u"楷体", 125, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    const ScreenFont font = createBandFont(style, 125, false, 96);
    const std::size_t limit = 100 * 1024; // two or three glyphs of this size
    GlyphCache glyphs(limit);
    const std::u16string text = u"青松公司二零一六";
    const PixelRect rect{0, 0, 1400, 240};
    QImage base(1400, 240, QImage::Format_ARGB32_Premultiplied);
    base.fill(QColor(10, 10, 10));
    QImage direct = base.copy();
    QImage cached = base.copy();
    drawDirect(direct, text, font, style.textColor, TextEffect::Outline, style.effectColor, rect, 0, 0);
    drawTextInRect({cached, glyphs}, text, {}, 0, font, style.textColor, TextEffect::Outline,
                   style.effectColor, rect, 0, 0);
    expectSameText(direct, cached, base, "under eviction");
    EXPECT_LE(glyphs.bytes(), limit);
    EXPECT_LT(glyphs.size(), text.size());
}

TEST(ScreenPaint, HidingDigits) {
    struct Case {
        std::u16string text;
        DigitHiding hiding;
        int offset;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"13912345678", {true, 4, 7}, 0, u"139****5678"},
        {u"[007] 13912345678", {true, 4, 7}, 6, u"[007] 139****5678"}, // counted within the entrant's text
        {u"13912345678", {false, 4, 7}, 0, u"13912345678"},
        {u"12345", {true, 4, 100}, 0, u"123**"},
        {u"12345", {true, 6, 9}, 0, u"12345"},
        {u"12345", {true, 1, INT32_MAX}, 0, u"*****"},
        {u"[1] 12345", {true, 2, INT32_MAX}, INT32_MAX - 1, u"[1] 12345"}, // no overflow past INT32_MAX
        {u"a\U00020000b", {true, 2, 2}, 0, u"a**b"},                       // half a pair would be garbage
        {u"", {true, 1, 3}, 0, u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::u8(hideDigitsText(c.text, c.hiding, c.offset)), test::u8(c.shown))
            << test::u8(c.text);
}

TEST(ScreenPaint, ChineseFaceNamesResolve) {
    for (const char* face : {"黑体", "楷体", "隶书", "仿宋", "宋体", "新宋体"})
        EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromUtf8(face))) << face;
    EXPECT_FALSE(QFontDatabase::hasFamily(QStringLiteral("幼圆")));
    EXPECT_EQ(QFontInfo(createBandFont(u"黑体", FontStyle{}, 30, false, 96).font).family(),
              QStringLiteral("WenQuanYi Zen Hei Mono"));
}

TEST(ScreenPaint, FontSizes) {
    FontStyle style = makeFontStyle(u"仿宋", 18, true, TextEffect::None, 0, 0);
    style.italic = 1;
    const ScreenFont band = createBandFont(style, 42, true, 96);
    EXPECT_EQ(band.font.pixelSize(), 56); // MulDiv(42, 96, 72)
    EXPECT_EQ(band.font.weight(), QFont::Bold);
    EXPECT_TRUE(band.font.italic());
    EXPECT_FALSE(createBandFont(style, 42, false, 96).font.italic()) << "the scroll area is never italic";
    EXPECT_EQ(createBandFont(style, 0, false, 96).font.pixelSize(), 1);
}

} // namespace
} // namespace kelvora
