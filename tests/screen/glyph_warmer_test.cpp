#include "screen/glyph_warmer.h"

#include <QImage>

#include <gtest/gtest.h>

#include "screen/glyph_cache.h"
#include "screen/screen_paint.h"
#include "screen_fixture.h"

namespace kelvora::test {
namespace {

QImage canvas() {
    QImage image(900, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(200, 30, 40));
    return image;
}

void drawName(QImage& image, GlyphCache& glyphs, std::u16string_view text, const ScreenFont& font,
              const PixelRect& rect) {
    drawTextInRect({image, glyphs}, text, {}, 0, font, kColorLightYellow, TextEffect::Outline, kColorGrey,
                   rect, AlignCenter, AlignCenter);
}

// Glyphs rendered ahead on the worker, with its own font engines, must be the very ones a frame would
// render: found under the same keys (no frame renders again) and with the same pixels. Latin names and digits
// advance by fractions of a pixel, so their glyphs need the sub-pixel offsets the frames will use; large bold
// glyphs are emboldened by the cache itself.
TEST(GlyphWarmer, FramesFindWhatWasPreparedWithTheSamePixels) {
    const std::vector<std::u16string> texts = {u"王小明",   u"Alexander Ng", u"13912345678",
                                               u"欧阳娜娜", u"王小明",       u"Wy 1.5"};
    for (const char16_t* face : {u"楷体", u"黑体"}) {
        for (const int pt : {22, 60, 125}) {
            const FontStyle style =
                makeFontStyle(face, pt, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
            const ScreenFont font = createBandFont(style, pt, false, 96);
            GlyphCache warmed;
            GlyphWarmer warmer(warmed);
            warmer.start(font.font, texts);
            warmer.wait();
            ASSERT_TRUE(warmer.finished());
            EXPECT_EQ(warmer.prepared(), warmer.planned());
            const std::size_t prepared = warmed.size();
            EXPECT_EQ(prepared, warmer.planned()) << "each glyph once, duplicates and all";

            GlyphCache cold;
            for (const std::u16string& text : texts) {
                // Rectangles at odd places: whole pixels must not change which glyphs are needed.
                for (const PixelRect rect : {PixelRect{0, 0, 900, 200}, PixelRect{13, 7, 880, 190}}) {
                    QImage fromWarm = canvas();
                    QImage fromCold = canvas();
                    drawName(fromWarm, warmed, text, font, rect);
                    drawName(fromCold, cold, text, font, rect);
                    ASSERT_TRUE(fromWarm == fromCold) << u8(face) << " " << pt << "pt " << u8(text);
                }
            }
            EXPECT_EQ(warmed.size(), prepared) << u8(face) << " " << pt << "pt: a frame rendered again";
        }
    }
}

// The frames of a prize cycle through every glyph of its names: the limit follows the working set so that
// none of them is evicted, and falls back when the next prize starts its own.
TEST(GlyphWarmer, CacheHoldsTheWorkingSet) {
    const FontStyle style = makeFontStyle(u"楷体", 125, true, TextEffect::None, 0, 0);
    const ScreenFont font = createBandFont(style, 125, false, 96);
    const std::size_t base = 100 * 1024; // a few glyphs of this size
    GlyphCache glyphs(base);
    GlyphWarmer warmer(glyphs);
    warmer.start(font.font, {u"青松公司二零一六年终晚会抽奖"});
    warmer.wait();
    EXPECT_EQ(glyphs.size(), 14u);
    EXPECT_GT(glyphs.bytes(), base);
    EXPECT_GE(glyphs.byteLimit(), glyphs.bytes());

    warmer.start(font.font, {u"王"});
    warmer.wait();
    EXPECT_LE(glyphs.bytes(), glyphs.byteLimit());
    EXPECT_LT(glyphs.size(), 14u) << "the last prize's glyphs give way";
    EXPECT_LE(glyphs.byteLimit(), base + 64 * 1024);
}

// Jobs are dropped half done when the prize or the settings change, and the screen may close at any time.
TEST(GlyphWarmer, StopsAtAnyPoint) {
    const FontStyle style = makeFontStyle(u"楷体", 125, true, TextEffect::None, 0, 0);
    const ScreenFont font = createBandFont(style, 125, false, 96);
    std::vector<std::u16string> texts;
    for (char16_t c = u'一'; c < u'一' + 400; ++c)
        texts.push_back(std::u16string(1, c));
    GlyphCache glyphs;
    {
        GlyphWarmer warmer(glyphs);
        warmer.start(font.font, texts);
        warmer.start(font.font, texts); // a new prize at once
        warmer.stop();
        EXPECT_TRUE(warmer.finished());
        EXPECT_LT(warmer.prepared(), texts.size());
        warmer.start(font.font, texts);
        glyphs.clear(); // new settings while the worker is inserting
    }                   // and the screen closes
    SUCCEED();
}

class WarmScreenTest : public ::testing::Test, public ScreenFixture {};

// From the moment the prize is on screen until the press, the names' glyphs are prepared; then the frames of
// the press render nothing, hidden digits included.
TEST_F(WarmScreenTest, APressFindsItsGlyphsReady) {
    prizes.push_back(makePrize(u"一等奖", 20, 20));
    prizes.back().perLine = 5;
    prizes.back().fontSize = 60;
    textList = makeNames(300, u"张");
    for (const char16_t* name : {u"13912345678", u"Alexander Ng", u"欧阳娜娜"})
        textList.push_back(makeEntrant(name));
    settings.hideDigits = 1;
    settings.hideFrom = 4;
    settings.hideTo = 7;

    run.startDraw();
    screen.composeFrame(); // the prize shows
    screen.waitForGlyphs();
    EXPECT_TRUE(screen.glyphsReady());
    run.advanceDraw();
    screen.composeFrame(); // the info bar's prompt changes at the press
    const std::size_t before = screen.glyphCacheBytes();
    for (int frame = 0; frame < 60; ++frame) {
        run.scrollTimerTick();
        screen.composeFrame();
    }
    EXPECT_EQ(screen.glyphCacheBytes(), before);

    // The next prize, at another size, starts over; the screen closes before it is done.
    prizes.push_back(makePrize(u"二等奖", 5, 5));
    prizes.back().fontSize = 90;
    for (int press = 0; press < 100 && run.progress().prizeIndex == 0; ++press)
        run.advanceDraw();
    ASSERT_EQ(run.progress().prizeIndex, 1);
    screen.dropScrollFont();
}

} // namespace
} // namespace kelvora::test
