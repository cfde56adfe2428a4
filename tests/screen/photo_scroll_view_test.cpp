#include "screen/photo_scroll_view.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "image/fc_obj_image.h"
#include "screen/photo_paint.h"
#include "screen/text_scroll_area.h"
#include "screen_fixture.h"

namespace kelvora::test {
namespace {

constexpr QRgb kBackground = qRgb(230, 0, 0);  // the screen without a background picture
constexpr QRgb kCaption = qRgb(255, 255, 128); // the default scroll font's colour

bool isBlue(QRgb pixel) {
    return qBlue(pixel) > 200 && qRed(pixel) < 40 && qGreen(pixel) < 40;
}

TEST(ImageFitted, KeepsTheAspectAndAlignsOnBothAxes) {
    const PixelRect box{10, 10, 110, 110};
    // A wide picture is limited by the width and placed by vAlign.
    EXPECT_EQ(fitImageRect(400, 200, box, 0, 0), (PixelRect{10, 10, 110, 60}));
    EXPECT_EQ(fitImageRect(400, 200, box, 1, 1), (PixelRect{10, 35, 110, 85}));
    EXPECT_EQ(fitImageRect(400, 200, box, 1, 2), (PixelRect{10, 60, 110, 110}));
    // A tall one by the height and placed by hAlign; any value but 0 and 2 centres.
    EXPECT_EQ(fitImageRect(100, 300, PixelRect{0, 0, 300, 300}, 2, 0), (PixelRect{200, 0, 300, 300}));
    EXPECT_EQ(fitImageRect(100, 300, PixelRect{0, 0, 300, 300}, 7, 0), (PixelRect{100, 0, 200, 300}));
    EXPECT_EQ(fitImageRect(100, 300, PixelRect{0, 0, 301, 300}, 1, 1), (PixelRect{100, 0, 200, 300}))
        << "the spare pixel goes to the right";
    // Enlarged as well; nothing for an empty picture or rectangle.
    EXPECT_EQ(fitImageRect(10, 10, box, 0, 0), box);
    EXPECT_TRUE(fitImageRect(0, 10, box, 1, 1).isEmpty());
    EXPECT_TRUE(fitImageRect(10, 10, PixelRect{5, 5, 5, 50}, 1, 1).isEmpty());

    // Drawn where it was placed, and only there, from either picture type.
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    FCObjImage held;
    ASSERT_TRUE(held.adoptImage(red.convertToFormat(QImage::Format_BGR888)));
    for (const bool fromHeld : {false, true}) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        if (fromHeld)
            drawImageFitted(painter, held, PixelRect{0, 0, 100, 100}, 1, 2);
        else
            drawImageFitted(painter, red, PixelRect{0, 0, 100, 100}, 1, 2);
        painter.end();
        EXPECT_EQ(canvas.pixel(50, 99), qRgb(255, 0, 0)) << fromHeld;
        EXPECT_EQ(canvas.pixel(0, 50), qRgb(255, 0, 0)) << fromHeld;
        EXPECT_EQ(canvas.pixel(50, 49), qRgb(255, 255, 255)) << fromHeld;
    }
    QPainter painter(&canvas);
    drawImageFitted(painter, FCObjImage(), PixelRect{0, 0, 100, 100}, 1, 1); // nothing, no crash
}

TEST(PhotoCaption, IsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(u8(captionName(u"张三.jpg")), u8(u"张三"));
    EXPECT_EQ(u8(captionName(u"李四")), u8(u"李四"));
    EXPECT_EQ(u8(captionName(u"王.小.明.png")), u8(u"王.小.明")) << "only from the last dot";
    EXPECT_EQ(u8(captionName(u".jpg")), "");
}

TEST(PhotoGeometry, CirclesKeepTheSquareMiddleOfTheFittedPhoto) {
    // A portrait 200 x 400 in a 300 x 200 rectangle: fitted 100 x 200, centred.
    const PixelRect fitted = centredPhotoRect(200, 400, PixelRect{0, 0, 300, 200});
    EXPECT_EQ(fitted, (PixelRect{100, 0, 200, 200}));
    EXPECT_EQ(cropBounds(fitted, PhotoCropMode::Circle), (PixelRect{100, 50, 200, 150}));
    EXPECT_EQ(cropBounds(fitted, PhotoCropMode::Ellipse), fitted);
    EXPECT_EQ(cropBounds(PixelRect{0, 0, 31, 10}, PhotoCropMode::Circle), (PixelRect{10, 0, 21, 10}))
        << "an odd difference leaves the square a pixel wider";
    // Captions outside take one and a half lines from the cell, never more than the cell.
    EXPECT_EQ(photoRectInCell(PixelRect{0, 0, 100, 100}, PhotoCaptionMode::OutsidePicture, 21).bottom, 68);
    EXPECT_EQ(photoRectInCell(PixelRect{0, 50, 100, 60}, PhotoCaptionMode::OutsidePicture, 21).bottom, 50);
    EXPECT_EQ(photoRectInCell(PixelRect{0, 0, 100, 100}, PhotoCaptionMode::OnPicture, 21).bottom, 100);
    // Stored values beyond the known ones draw as the defaults.
    EXPECT_EQ(photoCaptionOf(9), PhotoCaptionMode::OutsidePicture);
    EXPECT_EQ(photoCropOf(-1), PhotoCropMode::Ellipse);
}

class PhotoScrollTest : public ::testing::Test, public ScreenFixture {
protected:
    PhotoScrollTest() { drawMode = 1; }

    void writePhoto(std::u16string_view name, int width, int height, QRgb colour) {
        writePicture(paths.pictureFolder / std::filesystem::path(name), width, height, colour);
    }

    // The press stopped on these photos (forfeited: the slots whose winner gave up), numbered up to drawn.
    void showStopped(const std::vector<std::u16string>& names, int perLine, std::vector<int> forfeited = {},
                     int drawn = 0) {
        prizes.push_back(makePrize(u"一等奖", 100, int(names.size())));
        prizes[0].perLine = perLine;
        for (const std::u16string& name : names)
            pictureList.push_back(makeEntrant(name));
        run.startDraw();
        DrawProgress stopped = run.progress();
        stopped.state = DrawState::Stopped;
        stopped.shownCount = int(names.size());
        stopped.drawnCount = drawn ? drawn : int(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            stopped.shownEntrants[i] = makeEntrant(names[i]);
        for (const int slot : forfeited)
            stopped.slotForfeited[std::size_t(slot)] = 1;
        run.resume(stopped);
    }

    PixelRect cell(int slot) const {
        const int shown = run.progress().shownCount;
        return layoutScrollGrid(screen.computeBand(Band::ScrollArea).inner, prizes[0].perLine, shown, 0.025)
            .slotRect(slot);
    }

    int lineHeight() const {
        const ScreenFont font = createBandFont(fieldText(settings.scrollFont.faceName), settings.scrollFont,
                                               prizes[0].fontSize, false, 96);
        return font.metrics.boundingRect(QStringLiteral(u"行高Mg")).height();
    }

    QImage frame(const char* keepAs = nullptr) {
        QImage image = screen.composeFrame().copy();
        if (const char* folder = std::getenv("KELVORA_SCREEN_FRAMES"); keepAs && folder && *folder)
            image.save(QString::fromUtf8(folder) + "/" + keepAs + ".png");
        return image;
    }

    static int count(const QImage& image, const PixelRect& r, bool (*match)(QRgb)) {
        int found = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                found += match(image.pixel(x, y));
        return found;
    }
    static bool isCaption(QRgb pixel) { return (pixel | 0xFF000000u) == kCaption; }
    static bool notBackground(QRgb pixel) { return (pixel | 0xFF000000u) != kBackground; }

    // The first and one-past-last positions along a row (or column) where the photo shows.
    static std::pair<int, int> blueSpan(const QImage& image, int fixed, int from, int to, bool alongRow) {
        int first = -1;
        int last = -1;
        for (int at = from; at < to; ++at) {
            if (isBlue(alongRow ? image.pixel(at, fixed) : image.pixel(fixed, at))) {
                if (first < 0)
                    first = at;
                last = at;
            }
        }
        return {first, last + 1};
    }
};

TEST_F(PhotoScrollTest, ACircleOnAPortraitIsAsWideAsTheFittedPhotoAndCentredVertically) {
    settings.photoCrop = std::int32_t(PhotoCropMode::Circle);
    settings.photoCaption = std::int32_t(PhotoCaptionMode::Hidden);
    writePhoto(u"张三.png", 200, 400, qRgb(0, 0, 255));
    showStopped({u"张三.png"}, 1);
    const QImage image = frame("photo_circle");
    const PixelRect c = cell(0);
    const PixelRect fitted = centredPhotoRect(200, 400, c);
    ASSERT_EQ(fitted.height(), c.height());
    const int middleX = (fitted.left + fitted.right) / 2;
    const int middleY = (c.top + c.bottom) / 2;

    const auto [left, right] = blueSpan(image, middleY, c.left, c.right, true);
    EXPECT_NEAR(left, fitted.left, 1);
    EXPECT_NEAR(right, fitted.right, 1);
    const auto [top, bottom] = blueSpan(image, middleX, c.top, c.bottom, false);
    EXPECT_NEAR(bottom - top, fitted.width(), 2) << "the circle is as tall as the photo is wide";
    EXPECT_NEAR(top - c.top, c.bottom - bottom, 1) << "centred vertically";
    // The photo's own corners and the rest of the cell show the background.
    EXPECT_EQ(image.pixel(fitted.left + 1, top + 1) | 0xFF000000u, kBackground);
    EXPECT_EQ(image.pixel(middleX, c.top + 1) | 0xFF000000u, kBackground);
    EXPECT_EQ(image.pixel(c.left + 1, middleY) | 0xFF000000u, kBackground);
    // The edge is blended, not stepped.
    int blended = 0;
    for (int x = left - 3; x < left + 3; ++x)
        for (int y = top; y < bottom; ++y) {
            const QRgb p = image.pixel(x, y);
            blended += qRed(p) > 20 && qRed(p) < 210 && qBlue(p) > 20 && qBlue(p) < 235;
        }
    EXPECT_GT(blended, 2);
}

TEST_F(PhotoScrollTest, CaptionsOutsideTakeOneAndAHalfLinesBelowThePhoto) {
    settings.photoCrop = std::int32_t(PhotoCropMode::None);
    writePhoto(u"张三.png", 100, 400, qRgb(0, 0, 255)); // tall: fills the photo rectangle's height
    showStopped({u"张三.png", u"李四"}, 2);
    const PixelRect c = cell(0);
    const int line = lineHeight();
    ASSERT_GT(line, 10);

    settings.photoCaption = std::int32_t(PhotoCaptionMode::OutsidePicture);
    const QImage outside = frame("photo_outside");
    const int middleX = (c.left + c.right) / 2;
    const int photoBottom = blueSpan(outside, middleX, c.top, c.bottom, false).second;
    EXPECT_EQ(photoBottom, int(c.bottom - 1.5 * line));
    int firstInk = -1;
    for (int y = c.top; y < c.bottom && firstInk < 0; ++y)
        if (count(outside, PixelRect{c.left, y, c.right, y + 1}, isCaption) > 0)
            firstInk = y;
    EXPECT_GE(firstInk, photoBottom + int(0.18 * line)) << "the caption starts a little below the photo";
    EXPECT_LT(firstInk, c.bottom);

    // On the photo, the photo has the whole cell and the caption stands on its lower part.
    screen.dropFonts();
    settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
    const QImage on = frame("photo_on");
    EXPECT_EQ(blueSpan(on, middleX - 30, c.top, c.bottom, false).second, c.bottom);
    EXPECT_GT(count(on, PixelRect{c.left, c.top + c.height() / 2, c.right, c.bottom}, isCaption), 20);

    // A missing photo shows no picture and no message, but its caption.
    const PixelRect missing = cell(1);
    EXPECT_EQ(count(on, missing, isBlue), 0);
    EXPECT_GT(count(on, missing, isCaption), 20);
}

TEST_F(PhotoScrollTest, HiddenCaptionsShowNoNamesAndNoNumbers) {
    settings.showWinnerNumbers = 1;
    writePhoto(u"张三.png", 300, 300, qRgb(0, 0, 255));
    showStopped({u"张三.png", u"李四.png"}, 2);
    const PixelRect area = screen.computeBand(Band::ScrollArea).band;
    settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
    EXPECT_GT(count(frame(), area, isCaption), 50);
    settings.photoCaption = std::int32_t(PhotoCaptionMode::Hidden);
    const QImage hidden = frame();
    EXPECT_EQ(count(hidden, area, isCaption), 0);
    EXPECT_GT(count(hidden, cell(0), isBlue), 1000) << "the photo is still shown";
}

// The caption is the name without its extension: a frame of "张三.jpg" shows what one of "张三" shows, and
// the numbers come before it.
TEST_F(PhotoScrollTest, CaptionsDropTheExtensionAndCarryTheWinnerNumbers) {
    settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
    showStopped({u"张三.jpg", u"李四"}, 2);
    const QImage withExtension = frame("photo_captions");
    const PixelRect area = screen.computeBand(Band::ScrollArea).band;
    EXPECT_GT(count(withExtension, cell(1), isCaption), 20);

    prizes.clear();
    pictureList.clear();
    run.end();
    showStopped({u"张三", u"李四"}, 2);
    EXPECT_EQ(frame(), withExtension);

    settings.showWinnerNumbers = 1;
    const QImage numbered = frame();
    EXPECT_GT(count(numbered, area, isCaption), count(withExtension, area, isCaption) + 20);
}

TEST_F(PhotoScrollTest, AForfeitedSlotLeavesItsCellEmpty) {
    settings.showWinnerNumbers = 1;
    for (const char16_t* name : {u"甲.png", u"乙.png", u"丙.png"})
        writePhoto(name, 200, 200, qRgb(0, 0, 255));
    showStopped({u"甲.png", u"乙.png", u"丙.png"}, 3, {1}, 5);
    const QImage image = frame();
    EXPECT_EQ(count(image, cell(1), notBackground), 0);
    EXPECT_GT(count(image, cell(0), isBlue), 1000);
    EXPECT_GT(count(image, cell(2), isCaption), 20);
}

// Tiles are kept between frames with the pixels of a fresh decode, made again for another crop or a changed
// file, and dropped with the fonts.
TEST_F(PhotoScrollTest, KeptTilesDrawTheSamePixelsUntilTheyAreDropped) {
    settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
    std::vector<std::u16string> names;
    for (int i = 0; i < 6; ++i) {
        const std::u16string name =
            u"员工" + std::u16string(1, char16_t(u'0' + i)) + (i % 2 ? u".jpg" : u".png");
        writePhoto(name, 120 + 40 * i, 300 - 30 * i, qRgb(40 * i, 200 - 30 * i, 255));
        names.push_back(name);
    }
    showStopped(names, 3);
    // The prize is complete: no press is to come, so no tiles are made ahead and the frames make them all.
    prizes[0].quota = int(names.size());

    const QImage cold = frame();
    EXPECT_EQ(screen.photoTilesMade(), 6u);
    EXPECT_GT(screen.photoTileBytes(), 6u * 100 * 100);
    EXPECT_EQ(frame(), cold);
    EXPECT_EQ(screen.photoTilesMade(), 6u) << "the second frame decodes nothing";

    // Another crop is another tile; going back finds the first.
    settings.photoCrop = std::int32_t(PhotoCropMode::Circle);
    const QImage circles = frame();
    EXPECT_NE(circles, cold);
    screen.dropFonts();
    EXPECT_EQ(screen.photoTileBytes(), 0u);
    EXPECT_EQ(frame(), circles) << "a fresh decode draws what the kept tiles drew";
    settings.photoCrop = std::int32_t(PhotoCropMode::Ellipse);
    EXPECT_EQ(frame(), cold);

    // A photo replaced under its name is decoded again.
    const std::size_t made = screen.photoTilesMade();
    std::filesystem::remove(paths.pictureFolder / std::filesystem::path(names[0]));
    writePhoto(names[0], 300, 300, qRgb(0, 0, 255));
    const QImage replaced = frame();
    EXPECT_EQ(screen.photoTilesMade(), made + 1);
    EXPECT_GT(count(replaced, cell(0), isBlue), 1000);
}

} // namespace
} // namespace kelvora::test
