#include <gtest/gtest.h>

#include "image/fc_image_codec_qt.h"
#include "image/fc_image_property.h"
#include "picture_fixtures.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using test::pixelAt;
using test::Rgba;

TEST(ImageCodecFactoryTest, ExtensionTableIgnoresLetterCase) {
    struct Row {
        const char* path;
        ImageType type;
    };
    const FCImageCodecFactory& factory = FCImageCodecFactory_Qt::instance();
    for (const Row& row : {
             Row{"a.bmp", ImageType::Bmp},         Row{"a.DIB", ImageType::Bmp},
             Row{"a.pcx", ImageType::Pcx},         Row{"a.jpg", ImageType::Jpeg},
             Row{"a.JPG", ImageType::Jpeg},        Row{"a.Jpeg", ImageType::Jpeg},
             Row{"a.jpe", ImageType::Jpeg},        Row{"a.jfif", ImageType::Jpeg},
             Row{"a.gif", ImageType::Gif},         Row{"a.tga", ImageType::Tga},
             Row{"a.tif", ImageType::Tiff},        Row{"a.TIFF", ImageType::Tiff},
             Row{"a.png", ImageType::Png},         Row{"a.psd", ImageType::Psd},
             Row{"a.ico", ImageType::Ico},         Row{"a.xpm", ImageType::Xpm},
             Row{"a.oxo", ImageType::Oxo},         Row{"a.jpeg.txt", ImageType::None},
             Row{"noextension", ImageType::None},  Row{"a.", ImageType::None},
             Row{"dir.png/file", ImageType::None}, Row{"/x/图片.PNG", ImageType::Png},
             Row{"a.webp", ImageType::None},       Row{"a.jpgx", ImageType::None},
         }) {
        EXPECT_EQ(factory.queryImageType(row.path), row.type) << row.path;
    }
}

TEST(ImageCodecFactoryTest, CodecsExistOnlyForTheSixReadableTypes) {
    const FCImageCodecFactory& factory = FCImageCodecFactory_Qt::instance();
    for (int type = 0; type <= 11; ++type) {
        const bool readable = type == 1 || type == 3 || type == 4 || type == 6 || type == 7 || type == 9;
        EXPECT_EQ(factory.createCodec(ImageType(type)) != nullptr, readable) << type;
    }
}

TEST(ImageCodecTest, ContentDecidesTheDecoderAmongTheKnownSignatures) {
    FCImageCodec_Qt codec;
    const QImage pattern = test::patternImage();
    for (const char* format : {"png", "bmp", "jpeg", "tiff", "ico"}) {
        const QByteArray bytes = test::encodeWithQt(pattern, format, 100);
        std::vector<FCObjImage> frames;
        EXPECT_TRUE(codec.loadMemory(bytes.constData(), std::size_t(bytes.size()), frames, nullptr, 1))
            << format;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(codec.readSize(bytes.constData(), std::size_t(bytes.size()), width, height)) << format;
        EXPECT_EQ(width, test::kPatternWidth) << format;
        EXPECT_EQ(height, test::kPatternHeight) << format;
    }
    // Formats Qt reads but the program never did.
    for (const char* format : {"webp", "xpm", "ppm", "xbm"}) {
        const QByteArray bytes = test::encodeWithQt(pattern, format);
        std::vector<FCObjImage> frames;
        EXPECT_FALSE(codec.loadMemory(bytes.constData(), std::size_t(bytes.size()), frames, nullptr, 1))
            << format;
        EXPECT_TRUE(frames.empty()) << format;
    }
    std::vector<FCObjImage> frames;
    EXPECT_FALSE(codec.loadMemory("", 0, frames, nullptr, 1));
    EXPECT_FALSE(codec.loadMemory("BM", 2, frames, nullptr, 1));
}

TEST(ImageCodecTest, AnimatedGifGivesEveryFrameAskedForWithItsDelay) {
    const QByteArray gif =
        test::animatedGif(12, 12, {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {9, 9, 9}}, {0, 1, 2});
    FCImageCodec_Qt codec;
    std::vector<FCObjImage> frames;
    FCImageProperty property;
    ASSERT_TRUE(codec.loadMemory(gif.constData(), std::size_t(gif.size()), frames, &property, 10));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(pixelAt(frames[0], 5, 5), (Rgba{255, 0, 0}));
    EXPECT_EQ(pixelAt(frames[1], 5, 5), (Rgba{0, 0, 255}));
    EXPECT_EQ(pixelAt(frames[2], 5, 5), (Rgba{0, 255, 0}));
    EXPECT_EQ(property.frameDelays, (std::vector<int>{100, 200, 300}));

    frames.clear();
    ASSERT_TRUE(codec.loadMemory(gif.constData(), std::size_t(gif.size()), frames, nullptr, 1));
    EXPECT_EQ(frames.size(), 1u);
}

TEST(ImageCodecTest, ThirtyTwoBitBmpLoadsAsThirtyTwoBitsWithOpaqueAlpha) {
    const QByteArray bytes = test::bmp32(12, 10, Rgba{200, 100, 50, 0});
    FCImageCodec_Qt codec;
    std::vector<FCObjImage> frames;
    ASSERT_TRUE(codec.loadMemory(bytes.constData(), std::size_t(bytes.size()), frames, nullptr, 1));
    EXPECT_EQ(frames[0].colorBits(), 32);
    EXPECT_EQ(pixelAt(frames[0], 3, 3), (Rgba{200, 100, 50, 255}));

    // A 24-bit BMP stays 24 bits.
    const QByteArray bmp24 = test::encodeWithQt(test::patternImage(), "bmp");
    frames.clear();
    ASSERT_TRUE(codec.loadMemory(bmp24.constData(), std::size_t(bmp24.size()), frames, nullptr, 1));
    EXPECT_EQ(frames[0].colorBits(), 24);
}

TEST(ImageCodecTest, PremultipliedTiffComesOutStraight) {
    QImage premultiplied(16, 16, QImage::Format_ARGB32_Premultiplied);
    premultiplied.fill(qRgba(100, 50, 25, 128)); // (200, 100, 50) at half alpha
    const QByteArray tiff = test::encodeWithQt(premultiplied, "tiff");
    FCImageCodec_Qt codec;
    std::vector<FCObjImage> frames;
    ASSERT_TRUE(codec.loadMemory(tiff.constData(), std::size_t(tiff.size()), frames, nullptr, 1));
    ASSERT_EQ(frames[0].colorBits(), 32);
    EXPECT_EQ(pixelAt(frames[0], 4, 4), (Rgba{200, 100, 50, 128}));
}

TEST(ImageCodecTest, TextEntriesAreReadAndWrittenBack) {
    test::TempDir dir;
    FCImageCodec_Qt codec;
    FCObjImage image;
    ASSERT_TRUE(image.create(10, 10, 24));
    FCImageProperty written;
    written.texts.emplace_back(u"Title", u"年会抽奖");
    ASSERT_TRUE(codec.saveFile(dir.path() / "t.png", image, &written));
    FCImageProperty read;
    std::vector<FCObjImage> frames;
    ASSERT_TRUE(codec.loadFile(dir.path() / "t.png", frames, &read, 1));
    EXPECT_EQ(read.texts, written.texts);
}

TEST(ImageCodecTest, SaveWritesEachWritableFormatAndRefusesTheOthers) {
    test::TempDir dir;
    FCObjImage image;
    ASSERT_TRUE(image.create(20, 10, 24));
    for (const char* name : {"a.bmp", "a.dib", "a.jpg", "a.jpeg", "a.jpe", "a.jfif", "a.gif", "a.tif",
                             "a.tiff", "a.png", "a.PNG"}) {
        EXPECT_TRUE(image.save(dir.path() / name)) << name;
        FCObjImage back;
        EXPECT_TRUE(back.load(dir.path() / name)) << name;
        EXPECT_EQ(back.width(), 20) << name;
    }
    for (const char* name : {"a.ico", "a.pcx", "a.tga", "a.psd", "a.xpm", "a.oxo", "a.txt", "a"})
        EXPECT_FALSE(image.save(dir.path() / name)) << name;
    EXPECT_FALSE(FCObjImage().save(dir.path() / "empty.png"));
    EXPECT_FALSE(image.save(dir.path() / "missing-folder" / "a.png"));
}

TEST(ImageCodecTest, JpegQualityComesFromTheCallerOrIsNinety) {
    test::TempDir dir;
    FCObjImage image;
    ASSERT_TRUE(image.adoptImage(test::patternImage().convertToFormat(QImage::Format_BGR888)));
    // Noise makes the size follow the quality.
    for (int y = 0; y < image.height(); ++y) {
        for (int i = 0; i < image.width() * 3; ++i)
            image.row(y)[i] = std::uint8_t((i * 7919 + y * 104729) % 251);
    }
    ASSERT_TRUE(image.save(dir.path() / "q10.jpg", 10));
    ASSERT_TRUE(image.save(dir.path() / "default.jpg"));
    ASSERT_TRUE(image.save(dir.path() / "q90.jpg", 90));
    EXPECT_LT(std::filesystem::file_size(dir.path() / "q10.jpg"),
              std::filesystem::file_size(dir.path() / "q90.jpg"));
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "default.jpg"),
              std::filesystem::file_size(dir.path() / "q90.jpg"));
}

TEST(ImageCodecTest, GifKeepsTransparencyOfThirtyTwoBitPictures) {
    test::TempDir dir;
    FCObjImage image;
    ASSERT_TRUE(image.create(16, 16, 32));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = image.row(y) + 4 * x;
            const bool opaque = x < 8;
            p[0] = 40;
            p[1] = 80;
            p[2] = 240;
            p[3] = opaque ? 255 : 0;
        }
    }
    ASSERT_TRUE(image.save(dir.path() / "t.gif"));
    FCObjImage back;
    ASSERT_TRUE(back.load(dir.path() / "t.gif"));
    ASSERT_EQ(back.colorBits(), 32);
    EXPECT_TRUE(test::near(pixelAt(back, 2, 2), Rgba{240, 80, 40, 255}, 8))
        << test::describe(pixelAt(back, 2, 2));
    EXPECT_EQ(pixelAt(back, 12, 2).alpha, 0);
}

TEST(ImageCodecTest, EightBitGifWritesThePaletteAndTheCallersTransparentIndex) {
    test::TempDir dir;
    FCObjImage image;
    ASSERT_TRUE(image.create(10, 10, 8));
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x)
            image.row(y)[x] = std::uint8_t(x < 5 ? 3 : 200);
    }
    ASSERT_TRUE(image.save(dir.path() / "grey.gif"));
    FCObjImage back;
    ASSERT_TRUE(back.load(dir.path() / "grey.gif"));
    EXPECT_EQ(pixelAt(back, 1, 1), (Rgba{3, 3, 3, 255}));
    EXPECT_EQ(pixelAt(back, 8, 1), (Rgba{200, 200, 200, 255}));

    // The quality value doubles as the transparent entry of 8-bit GIFs.
    ASSERT_TRUE(image.save(dir.path() / "clear.gif", 200));
    ASSERT_TRUE(back.load(dir.path() / "clear.gif"));
    EXPECT_EQ(pixelAt(back, 1, 1), (Rgba{3, 3, 3, 255}));
    EXPECT_EQ(pixelAt(back, 8, 1).alpha, 0);
}

TEST(ImageCodecTest, LoadReplacesTheImageOnlyOnSuccess) {
    test::TempDir dir;
    FCObjImage image;
    ASSERT_TRUE(image.create(12, 11, 24));
    test::writeBytes(dir.path() / "bad.png", QByteArray("\x89PNG\r\n\x1A\n garbage"));
    EXPECT_FALSE(image.load(dir.path() / "bad.png"));
    EXPECT_FALSE(image.load(dir.path() / "missing.png"));
    EXPECT_FALSE(image.load(dir.path()));
    EXPECT_EQ(image.width(), 12);
    EXPECT_EQ(image.height(), 11);
}

} // namespace
} // namespace kelvora
