#include <gtest/gtest.h>

#include <QPainter>

#include "image/fc_image_effect.h"
#include "image/fc_obj_image.h"
#include "picture_fixtures.h"

namespace kelvora {
namespace {

using test::pixelAt;
using test::Rgba;

// An image whose pixel (x, y) has blue = x, green = y, red = 7 (and alpha 255 at 32 bits), or index x at 8
// bits.
FCObjImage numberedImage(int width, int height, int bits) {
    FCObjImage image;
    EXPECT_TRUE(image.create(width, height, bits));
    const int bytes = bits / 8;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.row(y);
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                row[x] = std::uint8_t(x);
                continue;
            }
            row[x * bytes] = std::uint8_t(x);
            row[x * bytes + 1] = std::uint8_t(y);
            row[x * bytes + 2] = 7;
            if (bytes == 4)
                row[x * bytes + 3] = 255;
        }
    }
    return image;
}

TEST(FCObjImageTest, CreateMakesZeroFilledRowsPaddedToFourBytes) {
    FCObjImage image;
    ASSERT_TRUE(image.create(5, 3, 24));
    EXPECT_EQ(image.width(), 5);
    EXPECT_EQ(image.height(), 3);
    EXPECT_EQ(image.colorBits(), 24);
    EXPECT_EQ(image.stride(), 16); // (24 * 5 + 31) / 32 * 4
    EXPECT_EQ(image.image().format(), QImage::Format_BGR888);
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < image.stride(); ++i)
            EXPECT_EQ(image.row(y)[i], 0) << y << "," << i;
    }
    // Row 0 is the top row: writing it shows at the top of the QImage that is drawn.
    image.row(0)[2] = 255;
    EXPECT_EQ(image.image().pixel(0, 0), qRgb(255, 0, 0));

    ASSERT_TRUE(image.create(3, 2, 8));
    EXPECT_EQ(image.stride(), 4);
    const std::array<QRgb, 256> palette = image.palette();
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(palette[i], qRgb(i, i, i));

    ASSERT_TRUE(image.create(3, 2, 32));
    EXPECT_EQ(image.image().format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(image.stride(), 12);
}

TEST(FCObjImageTest, CreateRefusesBadSizesAndDepthsAndLeavesTheImageEmpty) {
    struct Row {
        const char* name;
        int width, height, bits;
    };
    for (const Row& row : {Row{"zeroWidth", 0, 5, 24}, Row{"negativeHeight", 5, -1, 24},
                           Row{"depth16", 5, 5, 16}, Row{"depth1", 5, 5, 1}}) {
        FCObjImage image;
        ASSERT_TRUE(image.create(4, 4, 24));
        EXPECT_FALSE(image.create(row.width, row.height, row.bits)) << row.name;
        EXPECT_FALSE(image.isValid()) << row.name;
        EXPECT_EQ(image.width(), 0) << row.name;
        EXPECT_EQ(image.colorBits(), 0) << row.name;
    }
}

TEST(FCObjImageTest, DestroyEmptiesAndSwapExchanges) {
    FCObjImage a = numberedImage(4, 3, 24);
    FCObjImage b = numberedImage(2, 5, 32);
    a.swap(b);
    EXPECT_EQ(a.width(), 2);
    EXPECT_EQ(a.colorBits(), 32);
    EXPECT_EQ(b.width(), 4);
    b.destroy();
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(b.width(), 0);
    EXPECT_EQ(b.height(), 0);
    EXPECT_EQ(b.colorBits(), 0);
}

TEST(FCObjImageTest, CopiesSharePixelsUntilOneWrites) {
    FCObjImage original = numberedImage(4, 4, 24);
    FCObjImage copy = original;
    copy.row(1)[0] = 99;
    EXPECT_EQ(original.row(1)[0], 0);
    EXPECT_EQ(copy.row(1)[0], 99);
}

TEST(FCObjImageTest, StretchPicksSourcePixelsByTruncatedIndex) {
    for (int bits : {8, 24, 32}) {
        const FCObjImage source = numberedImage(5, 7, bits);
        for (const auto& [width, height] :
             {std::pair{3, 2}, std::pair{8, 11}, std::pair{5, 1}, std::pair{1, 7}}) {
            FCObjImage image = source;
            image.stretch(width, height);
            ASSERT_EQ(image.width(), width);
            ASSERT_EQ(image.height(), height);
            ASSERT_EQ(image.colorBits(), bits);
            for (int i = 0; i < height; ++i) {
                for (int j = 0; j < width; ++j) {
                    const int sx = j * 5 / width;
                    const int sy = i * 7 / height;
                    EXPECT_EQ(pixelAt(image, j, i), pixelAt(source, sx, sy))
                        << bits << " bits, " << width << "x" << height << " at " << j << "," << i;
                }
            }
        }
    }
}

TEST(FCObjImageTest, StretchKeepsThePaletteOfEightBitImages) {
    FCObjImage image = numberedImage(4, 4, 8);
    std::array<QRgb, 256> palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, 255 - i, 3);
    image.setPalette(palette);
    image.stretch(9, 2);
    EXPECT_EQ(image.palette(), palette);
    EXPECT_EQ(pixelAt(image, 8, 1), (Rgba{3, 252, 3, 255}));
}

TEST(FCObjImageTest, StretchIgnoresUnchangedNonPositiveSizesAndEmptyImages) {
    FCObjImage image = numberedImage(4, 3, 24);
    const std::uint8_t* before = image.row(0);
    image.stretch(4, 3);
    EXPECT_EQ(image.row(0), before); // the very same pixels
    image.stretch(0, 3);
    image.stretch(4, -2);
    EXPECT_EQ(image.width(), 4);
    EXPECT_EQ(image.height(), 3);
    FCObjImage empty;
    empty.stretch(10, 10);
    EXPECT_FALSE(empty.isValid());
}

TEST(FCObjImageTest, PremultiplyTruncatesAndUnpremultiplyInvertsIt) {
    FCObjImage image;
    ASSERT_TRUE(image.create(256, 1, 32));
    for (int x = 0; x < 256; ++x) {
        std::uint8_t* p = image.row(0) + 4 * x;
        p[0] = 50;
        p[1] = 100;
        p[2] = 200;
        p[3] = std::uint8_t(x);
    }
    FCObjImage premultiplied = image;
    FCEffectPremultipleAlpha premultiply;
    premultiplied.applyEffect(premultiply);
    EXPECT_EQ(pixelAt(premultiplied, 128, 0), (Rgba{100, 50, 25, 128}));
    EXPECT_EQ(pixelAt(premultiplied, 0, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(premultiplied, 255, 0), (Rgba{200, 100, 50, 255}));

    // Straight colours come back, and premultiplying them again gives the same held values.
    FCObjImage straight = premultiplied;
    FCEffectUnpremultipleAlpha unpremultiply;
    straight.applyEffect(unpremultiply);
    EXPECT_EQ(pixelAt(straight, 128, 0), (Rgba{200, 100, 50, 128}));
    EXPECT_EQ(pixelAt(straight, 0, 0), (Rgba{0, 0, 0, 0}));
    for (int x = 1; x < 256; ++x) {
        const Rgba s = pixelAt(straight, x, 0);
        EXPECT_LE(std::abs(s.red - 200) * x, 255) << x; // within what alpha x can tell apart
        FCObjImage again = straight;
        again.applyEffect(premultiply);
        EXPECT_EQ(pixelAt(again, x, 0), pixelAt(premultiplied, x, 0)) << x;
    }
}

TEST(FCObjImageTest, EffectsRefuseImagesTheyCannotWorkOn) {
    FCObjImage image = numberedImage(3, 3, 24);
    FCEffectPremultipleAlpha premultiply;
    EXPECT_FALSE(premultiply.isValidImage(image));
    FCImageEffect base;
    EXPECT_TRUE(base.isValidImage(image));
    EXPECT_FALSE(base.isValidImage(numberedImage(3, 3, 8)));
    EXPECT_FALSE(base.isValidImage(FCObjImage()));
}

// Counts the pixels it visits.
class CountingEffect : public FCImageEffect {
public:
    int pixels = 0;
    int before = 0;
    void beforeProcess(FCObjImage&) override { ++before; }
    void processPixel(FCObjImage&, int x, int y, std::uint8_t* pixel) override {
        EXPECT_EQ(pixel[0], x);
        EXPECT_EQ(pixel[1], y);
        ++pixels;
    }
};

TEST(FCObjImageTest, ApplyEffectReportsProgressPerRowAndStopsAfterTheRowThatAnsweredStop) {
    FCObjImage image = numberedImage(4, 3, 24);
    CountingEffect effect;
    std::vector<int> reports;
    image.applyEffect(effect, [&](int percent) {
        reports.push_back(percent);
        return true;
    });
    EXPECT_EQ(effect.before, 1);
    EXPECT_EQ(effect.pixels, 12);
    EXPECT_EQ(reports, (std::vector<int>{0, 33, 66, 100}));

    CountingEffect stopped;
    reports.clear();
    image.applyEffect(stopped, [&](int percent) {
        reports.push_back(percent);
        return percent < 33;
    });
    EXPECT_EQ(stopped.pixels, 4);
    EXPECT_EQ(reports, (std::vector<int>{0, 33}));

    CountingEffect stoppedAtOnce;
    image.applyEffect(stoppedAtOnce, [](int) { return false; });
    EXPECT_EQ(stoppedAtOnce.pixels, 4); // the first row is still done
}

QImage canvas(int width, int height, QRgb fill) {
    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);
    target.fill(fill);
    return target;
}

TEST(FCObjImageTest, DrawStretchesNearestNeighbourWithoutSmoothing) {
    FCObjImage image;
    ASSERT_TRUE(image.create(2, 1, 24));
    image.row(0)[2] = 255; // left red, right blue
    image.row(0)[3] = 255;
    QImage target = canvas(10, 4, qRgb(9, 9, 9));
    {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        image.draw(painter, 1, 1, 9, 3);
        EXPECT_TRUE(painter.testRenderHint(QPainter::SmoothPixmapTransform));
        EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Multiply);
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(9, 9, 9));
    for (int x = 1; x < 5; ++x)
        EXPECT_EQ(target.pixel(x, 1), qRgb(255, 0, 0)) << x;
    for (int x = 5; x < 9; ++x)
        EXPECT_EQ(target.pixel(x, 2), qRgb(0, 0, 255)) << x;
    EXPECT_EQ(target.pixel(9, 1), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(4, 3), qRgb(9, 9, 9));
}

TEST(FCObjImageTest, DrawBlendsPremultipliedPixelsSourceOver) {
    FCObjImage image;
    ASSERT_TRUE(image.create(1, 1, 32));
    std::uint8_t* p = image.row(0);
    p[0] = 0;   // blue
    p[1] = 0;   // green
    p[2] = 100; // red, premultiplied by alpha 128
    p[3] = 128;
    QImage target = canvas(3, 3, qRgb(0, 0, 200));
    {
        QPainter painter(&target);
        image.drawAt(painter, 1, 1);
    }
    const QRgb blended = target.pixel(1, 1);
    // red: 100 + 0 * (1 - a); blue: 200 * (255 - 128) / 255 = 99.6
    EXPECT_NEAR(qRed(blended), 100, 1);
    EXPECT_NEAR(qBlue(blended), 100, 1);
    EXPECT_EQ(qAlpha(blended), 255);
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 200));
}

TEST(FCObjImageTest, DrawDoesNothingForEmptyImagesOrRectangles) {
    QImage target = canvas(4, 4, qRgb(1, 2, 3));
    const QImage before = target;
    FCObjImage image = numberedImage(2, 2, 24);
    {
        QPainter painter(&target);
        FCObjImage().draw(painter, 0, 0, 4, 4);
        image.draw(painter, 2, 2, 2, 4);
        image.draw(painter, 3, 3, 1, 1);
    }
    EXPECT_EQ(target, before);
}

TEST(FCObjImageTest, AdoptImageTakesOnlyTheThreeHeldFormats) {
    FCObjImage image;
    EXPECT_FALSE(image.adoptImage(QImage(4, 4, QImage::Format_RGB32)));
    EXPECT_FALSE(image.adoptImage(QImage()));
    EXPECT_FALSE(image.isValid());
    QImage indexed(3, 3, QImage::Format_Indexed8);
    indexed.setColorCount(2);
    EXPECT_TRUE(image.adoptImage(indexed));
    EXPECT_EQ(image.colorBits(), 8);
    EXPECT_EQ(image.image().colorCount(), 256);
}

} // namespace
} // namespace kelvora
