#include <gtest/gtest.h>

#include <thread>

#include <QPainter>

#include "image/picture_file.h"
#include "picture_fixtures.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using test::pixelAt;
using test::Rgba;

class PictureFileTest : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name) const { return m_dir.path() / name; }

    // Loads and expects failure with text; the holder must be empty afterwards.
    void expectFailure(const std::filesystem::path& path, std::u16string_view text) {
        PictureFile picture;
        EXPECT_FALSE(picture.loadPicture(path)) << path;
        EXPECT_EQ(test::u8(picture.errorText()), test::u8(text)) << path;
        EXPECT_FALSE(picture.isValid()) << path;
        EXPECT_EQ(picture.width(), 0) << path;
        EXPECT_EQ(picture.height(), 0) << path;
        EXPECT_EQ(picture.path(), path);
    }

    // A grey PNG of that size: cheap to write and to keep even at 10000 x 10000.
    std::filesystem::path greyPng(int width, int height) {
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(128);
        const std::filesystem::path path =
            file(std::to_string(width) + "x" + std::to_string(height) + ".png");
        test::writeWithQt(path, image, "png");
        return path;
    }

    void expectPattern(const PictureFile& picture, int tolerance, const std::string& what) {
        ASSERT_EQ(picture.width(), test::kPatternWidth) << what;
        ASSERT_EQ(picture.height(), test::kPatternHeight) << what;
        for (int q = 0; q < 4; ++q) {
            const Rgba found = pixelAt(picture.image(), test::quadrantX(q, test::kPatternWidth),
                                       test::quadrantY(q, test::kPatternHeight));
            EXPECT_TRUE(test::near(found, test::kQuadrantColours[q], tolerance))
                << what << " quadrant " << q << ": " << test::describe(found);
        }
    }

    test::TempDir m_dir;
};

TEST_F(PictureFileTest, EveryExtensionOfTheDialogsLoadsWithItsSizeAndPixels) {
    struct Row {
        const char* name;
        const char* writer; // nullptr: giflib
        int tolerance;
    };
    const QImage pattern = test::patternImage();
    for (const Row& row : {Row{"p.jpg", "jpeg", 6}, Row{"p.JPG", "jpeg", 6}, Row{"p.jpeg", "jpeg", 6},
                           Row{"p.jpe", "jpeg", 6}, Row{"p.jfif", "jpeg", 6}, Row{"p.png", "png", 0},
                           Row{"p.gif", nullptr, 0}, Row{"p.bmp", "bmp", 0}, Row{"p.dib", "bmp", 0},
                           Row{"p.tif", "tiff", 0}, Row{"p.tiff", "tiff", 0}, Row{"p.ico", "ico", 0}}) {
        if (row.writer)
            test::writeWithQt(file(row.name), pattern, row.writer, 100);
        else
            test::writeBytes(file(row.name), test::patternGif());
        PictureFile picture;
        ASSERT_TRUE(picture.loadPicture(file(row.name))) << row.name << ": " << test::u8(picture.errorText());
        EXPECT_TRUE(picture.isValid());
        EXPECT_TRUE(picture.errorText().empty());
        expectPattern(picture, row.tolerance, row.name);
    }
}

TEST_F(PictureFileTest, DibFilesAreBmp_DialogsOfferedThemButTheyNeverLoaded) {
    test::writeWithQt(file("scan.DIB"), test::patternImage(), "bmp");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("scan.DIB")));
    expectPattern(picture, 0, "scan.DIB");
    ASSERT_TRUE(picture.savePicture(file("copy.dib")));
    EXPECT_TRUE(picture.loadPicture(file("copy.dib")));
}

TEST_F(PictureFileTest, ExtensionsWithoutACodecFailAsInvalidWhateverTheContent) {
    const QByteArray png = test::encodeWithQt(test::patternImage(), "png");
    for (const char* name :
         {"p.jpeg.txt", "p.pcx", "p.tga", "p.psd", "p.xpm", "p.oxo", "noextension", "p.webp"}) {
        test::writeBytes(file(name), png);
        expectFailure(file(name), kPictureInvalidText);
    }
}

TEST_F(PictureFileTest, ContentOfAnotherKnownFormatLoadsButUnknownContentIsInvalid) {
    test::writeBytes(file("really-a-png.jpg"), test::encodeWithQt(test::patternImage(), "png"));
    PictureFile picture;
    EXPECT_TRUE(picture.loadPicture(file("really-a-png.jpg")));

    test::writeBytes(file("webp.png"), test::encodeWithQt(test::patternImage(), "webp"));
    expectFailure(file("webp.png"), kPictureInvalidText);
    test::writeBytes(file("text.png"), QByteArray("not a picture at all"));
    expectFailure(file("text.png"), kPictureInvalidText);
    test::writeBytes(file("empty.png"), QByteArray());
    expectFailure(file("empty.png"), kPictureInvalidText);
}

TEST_F(PictureFileTest, MissingFilesAndFoldersDoNotExist) {
    expectFailure(file("missing.png"), kPictureMissingText);
    std::filesystem::create_directory(file("folder.png"));
    expectFailure(file("folder.png"), kPictureMissingText);
}

TEST_F(PictureFileTest, FilesOverTenMebibytesAreRefusedAndExactlyTenPass) {
    // Bytes after a PNG's end chunk are ignored by readers, so padding sets the file size.
    QByteArray png = test::encodeWithQt(test::patternImage(), "png");
    png.resize(qsizetype(kMaxPictureFileBytes), '\0');
    test::writeBytes(file("exact.png"), png);
    PictureFile picture;
    EXPECT_TRUE(picture.loadPicture(file("exact.png"))) << test::u8(picture.errorText());

    png.append('\0');
    test::writeBytes(file("over.png"), png);
    expectFailure(file("over.png"), kPictureFileTooLargeText);
}

TEST_F(PictureFileTest, SidesOutsideTenToTenThousandAreRefusedSmallRuleFirst) {
    expectFailure(greyPng(9, 400), kPictureTooSmallText);
    expectFailure(greyPng(400, 9), kPictureTooSmallText);
    expectFailure(greyPng(10001, 5), kPictureTooSmallText);
    expectFailure(greyPng(10001, 5000), kPictureTooBigText);
    expectFailure(greyPng(20, 10001), kPictureTooBigText);

    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(greyPng(10, 10)));
    EXPECT_EQ(picture.width(), 10);
    EXPECT_EQ(picture.height(), 10);
}

TEST_F(PictureFileTest, TheLargestAllowedPictureLoads) {
    // In colour it decodes to 381 MiB, past Qt's default allocation limit of 128 MiB.
    QImage image(10000, 10000, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 90));
    test::writeWithQt(file("largest.jpg"), image, "jpeg", 90);
    image = QImage();
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("largest.jpg"))) << test::u8(picture.errorText());
    EXPECT_EQ(picture.width(), 10000);
    EXPECT_EQ(picture.height(), 10000);
    EXPECT_TRUE(test::near(pixelAt(picture.image(), 9999, 9999), Rgba{200, 30, 90}, 3));
    picture.shrinkToFit(kBackgroundMaxSide);
    EXPECT_EQ(picture.width(), 3200);
    EXPECT_EQ(picture.height(), 3200);

    ASSERT_TRUE(picture.loadPicture(greyPng(10000, 10000)));
    EXPECT_EQ(picture.width(), 10000);
}

TEST_F(PictureFileTest, AlphaIsPremultipliedOnceLoaded) {
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(qRgba(200, 100, 50, 128));
    test::writeWithQt(file("alpha.png"), image, "png");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("alpha.png")));
    EXPECT_EQ(picture.image().colorBits(), 32);
    EXPECT_EQ(pixelAt(picture.image(), 3, 3), (Rgba{100, 50, 25, 128}));
}

TEST_F(PictureFileTest, SavingAThirtyTwoBitPictureWritesTheColoursItCameFrom) {
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(qRgba(200, 100, 50, 128));
    test::writeWithQt(file("alpha.png"), image, "png");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("alpha.png")));
    ASSERT_TRUE(picture.savePicture(file("saved.png")));

    QImage written(QString::fromStdString(file("saved.png").string()));
    EXPECT_EQ(written.convertToFormat(QImage::Format_ARGB32).pixel(3, 3), qRgba(200, 100, 50, 128));
    PictureFile again;
    ASSERT_TRUE(again.loadPicture(file("saved.png")));
    EXPECT_EQ(pixelAt(again.image(), 3, 3), (Rgba{100, 50, 25, 128}));
    // The held picture stays premultiplied.
    EXPECT_EQ(pixelAt(picture.image(), 3, 3), (Rgba{100, 50, 25, 128}));
}

TEST_F(PictureFileTest, SaveAndLoadKeepSizeAndPixelsInEveryWritableFormat) {
    struct Row {
        const char* name;
        int tolerance;
    };
    test::writeWithQt(file("source.png"), test::patternImage(), "png");
    PictureFile source;
    ASSERT_TRUE(source.loadPicture(file("source.png")));
    for (const Row& row :
         {Row{"out.bmp", 0}, Row{"out.dib", 0}, Row{"out.jpg", 8}, Row{"out.jpeg", 8}, Row{"out.jpe", 8},
          Row{"out.jfif", 8}, Row{"out.gif", 7}, Row{"out.tif", 0}, Row{"out.tiff", 0}, Row{"out.png", 0}}) {
        ASSERT_TRUE(source.savePicture(file(row.name))) << row.name;
        PictureFile back;
        ASSERT_TRUE(back.loadPicture(file(row.name))) << row.name << ": " << test::u8(back.errorText());
        expectPattern(back, row.tolerance, row.name);
    }
    EXPECT_FALSE(source.savePicture(file("out.ico")));
    EXPECT_FALSE(source.savePicture(file("out.tga")));
}

TEST_F(PictureFileTest, ThirtyTwoBitRoundTripsKeepTheHeldValues) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(200, 100, 50, 128));
    for (int x = 0; x < 8; ++x)
        image.setPixel(x, 0, qRgba(10, 250, 30, 255));
    test::writeWithQt(file("alpha.png"), image, "png");
    PictureFile source;
    ASSERT_TRUE(source.loadPicture(file("alpha.png")));
    for (const char* name : {"a.png", "a.tif"}) {
        ASSERT_TRUE(source.savePicture(file(name))) << name;
        PictureFile back;
        ASSERT_TRUE(back.loadPicture(file(name))) << name;
        EXPECT_EQ(pixelAt(back.image(), 3, 3), (Rgba{100, 50, 25, 128})) << name;
        EXPECT_EQ(pixelAt(back.image(), 3, 0), (Rgba{10, 250, 30, 255})) << name;
    }
}

TEST_F(PictureFileTest, ExifOrientationTurnsPhonePortraitsUpright) {
    // Stored landscape, 48 x 32: left half red, right half blue. Orientation 6 means "rotate 90 degrees
    // clockwise to show", which puts the stored left edge on top.
    QImage stored(48, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x)
            stored.setPixel(x, y, x < 24 ? qRgb(230, 20, 20) : qRgb(20, 20, 230));
    }
    const QByteArray jpeg = test::encodeWithQt(stored, "jpeg", 100);
    test::writeBytes(file("portrait.jpg"), test::withExifOrientation(jpeg, 6));
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("portrait.jpg")));
    EXPECT_EQ(picture.width(), 32);
    EXPECT_EQ(picture.height(), 48);
    EXPECT_TRUE(test::near(pixelAt(picture.image(), 16, 8), Rgba{230, 20, 20}, 8));
    EXPECT_TRUE(test::near(pixelAt(picture.image(), 16, 40), Rgba{20, 20, 230}, 8));

    // Orientation 8 ("rotate 270 degrees clockwise to show") turns a stored 200 x 12 into 12 x 200.
    QImage narrow(200, 12, QImage::Format_RGB32);
    narrow.fill(qRgb(1, 2, 3));
    test::writeBytes(file("turned.jpg"), test::withExifOrientation(test::encodeWithQt(narrow, "jpeg"), 8));
    ASSERT_TRUE(picture.loadPicture(file("turned.jpg")));
    EXPECT_EQ(picture.width(), 12);
    EXPECT_EQ(picture.height(), 200);
}

// Photos shown in small tiles are decoded straight at their tile's size, under the loader's own checks.
TEST_F(PictureFileTest, ScaledLoadsKeepTheChecksAndDecodeAtTheAskedSize) {
    const auto half = [](QSize size) { return size / 2; };
    PictureFile picture;
    for (const char* format : {"jpeg", "png", "bmp"}) {
        const std::filesystem::path path = file(std::string("pattern.") + format);
        test::writeWithQt(path, test::patternImage().scaled(640, 480), format, 95);
        QSize told;
        ASSERT_TRUE(picture.loadPictureScaled(path, [&](QSize size) {
            told = size;
            return half(size);
        })) << format;
        EXPECT_EQ(told, QSize(640, 480)) << format << ": the stored size is told before decoding";
        EXPECT_EQ(picture.width(), 320) << format;
        EXPECT_EQ(picture.height(), 240) << format;
        for (int q = 0; q < 4; ++q) {
            const Rgba found = pixelAt(picture.image(), test::quadrantX(q, 320), test::quadrantY(q, 240));
            EXPECT_TRUE(test::near(found, test::kQuadrantColours[q], 12))
                << format << " quadrant " << q << ": " << test::describe(found);
        }
    }

    // The EXIF orientation is applied after scaling: the asked size is the upright one.
    QImage stored(480, 320, QImage::Format_RGB32);
    stored.fill(qRgb(20, 20, 230));
    test::writeBytes(file("turned.jpg"), test::withExifOrientation(test::encodeWithQt(stored, "jpeg"), 6));
    ASSERT_TRUE(picture.loadPictureScaled(file("turned.jpg"), [](QSize size) {
        EXPECT_EQ(size, QSize(320, 480));
        return QSize(32, 48);
    }));
    EXPECT_EQ(picture.width(), 32);
    EXPECT_EQ(picture.height(), 48);

    // The same refusals as a full load, before anything is decoded.
    const auto refuses = [&](const std::filesystem::path& path, std::u16string_view text) {
        bool asked = false;
        EXPECT_FALSE(picture.loadPictureScaled(path, [&](QSize size) {
            asked = true;
            return size;
        })) << path;
        EXPECT_FALSE(asked) << path;
        EXPECT_EQ(test::u8(picture.errorText()), test::u8(text)) << path;
        EXPECT_FALSE(picture.isValid()) << path;
    };
    refuses(file("missing.jpg"), kPictureMissingText);
    refuses(greyPng(9, 400), kPictureTooSmallText);
    refuses(greyPng(10001, 5000), kPictureTooBigText);
    test::writeBytes(file("text.jpg"), QByteArray("not a picture at all"));
    refuses(file("text.jpg"), kPictureInvalidText);
    EXPECT_FALSE(picture.loadPictureScaled(file("pattern.png"), [](QSize) { return QSize(); }));
    EXPECT_EQ(test::u8(picture.errorText()), test::u8(kPictureInvalidText));
}

TEST_F(PictureFileTest, AnimatedGifShowsItsFirstFrame) {
    test::writeBytes(file("anim.gif"), test::animatedGif(20, 16, {{250, 10, 10}, {10, 10, 250}}, {0, 1, 1}));
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("anim.gif")));
    EXPECT_EQ(picture.width(), 20);
    EXPECT_EQ(picture.height(), 16);
    EXPECT_EQ(pixelAt(picture.image(), 10, 8), (Rgba{250, 10, 10}));
}

TEST_F(PictureFileTest, ShrinkToFitMakesTheLongerSideTheLimit) {
    struct Row {
        int width, height, maxSide, expectedWidth, expectedHeight;
    };
    for (const Row& row :
         {Row{4000, 3000, 3200, 3200, 2400}, Row{1000, 3000, 1800, 600, 1800},
          Row{3000, 3000, 1800, 1800, 1800}, Row{2000, 1999, 1800, 1800, 1799}, Row{100, 60, 150, 150, 90}}) {
        PictureFile picture;
        ASSERT_TRUE(picture.loadPicture(greyPng(row.width, row.height)));
        picture.shrinkToFit(row.maxSide);
        EXPECT_EQ(picture.width(), row.expectedWidth) << row.width << "x" << row.height;
        EXPECT_EQ(picture.height(), row.expectedHeight) << row.width << "x" << row.height;
        EXPECT_EQ(picture.image().width(), row.expectedWidth);
        EXPECT_EQ(picture.image().height(), row.expectedHeight);
    }
    PictureFile empty;
    empty.shrinkToFit(100);
    EXPECT_FALSE(empty.isValid());
}

TEST_F(PictureFileTest, ResizeToStretchesExactlyAndRecordsTheSize) {
    test::writeWithQt(file("p.png"), test::patternImage(), "png");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("p.png")));
    picture.resizeTo(16, 12);
    EXPECT_EQ(picture.width(), 16);
    EXPECT_EQ(picture.height(), 12);
    EXPECT_EQ(pixelAt(picture.image(), 15, 11), test::kQuadrantColours[3]);
    picture.resizeTo(0, 5);
    EXPECT_EQ(picture.width(), 16);
    picture.release();
    EXPECT_FALSE(picture.isValid());
    EXPECT_EQ(picture.width(), 0);
    EXPECT_EQ(picture.height(), 0);
}

TEST_F(PictureFileTest, DrawIntoCopiesAtOwnSizeAndStretchesOtherwise) {
    test::writeWithQt(file("p.png"), test::patternImage(), "png");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("p.png")));
    QImage target(200, 100, QImage::Format_ARGB32_Premultiplied);
    target.fill(qRgb(0, 0, 0));
    {
        QPainter painter(&target);
        picture.drawInto(painter, 10, 20, 10 + test::kPatternWidth, 20 + test::kPatternHeight);
        picture.drawInto(painter, 100, 0, 200, 100); // stretched
        picture.drawInto(painter, 0, 0, 0, 100);     // empty: nothing
    }
    const auto colour = [&](int x, int y) {
        const QRgb c = target.pixel(x, y);
        return Rgba{qRed(c), qGreen(c), qBlue(c), qAlpha(c)};
    };
    EXPECT_EQ(colour(10, 20), test::kQuadrantColours[0]);
    EXPECT_EQ(colour(10 + 63, 20 + 47), test::kQuadrantColours[3]);
    EXPECT_EQ(colour(9, 20), (Rgba{0, 0, 0}));
    EXPECT_EQ(colour(101, 1), test::kQuadrantColours[0]);
    EXPECT_EQ(colour(199, 99), test::kQuadrantColours[3]);
    EXPECT_EQ(colour(149, 49), test::kQuadrantColours[0]);
    EXPECT_EQ(colour(150, 50), test::kQuadrantColours[3]);
}

TEST_F(PictureFileTest, AFailedLoadEmptiesAHolderThatHadAPicture) {
    test::writeWithQt(file("p.png"), test::patternImage(), "png");
    PictureFile picture;
    ASSERT_TRUE(picture.loadPicture(file("p.png")));
    EXPECT_FALSE(picture.loadPicture(file("missing.png")));
    EXPECT_FALSE(picture.isValid());
    EXPECT_EQ(picture.width(), 0);
    ASSERT_TRUE(picture.loadPicture(file("p.png")));
    EXPECT_TRUE(picture.errorText().empty());
}

TEST_F(PictureFileTest, TruncatedAndCorruptFilesFailOrLoadWithinTheLimits) {
    // The decoders complain about every broken file through Qt's log; hundreds of lines tell nothing here.
    const QtMessageHandler previousHandler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::vector<std::pair<std::string, QByteArray>> sources;
    const QImage pattern = test::patternImage();
    for (const char* format : {"png", "jpeg", "bmp", "tiff", "ico"})
        sources.emplace_back(std::string("x.") + format, test::encodeWithQt(pattern, format));
    sources.emplace_back("x.gif", test::patternGif());
    sources.emplace_back("x.bmp", test::bmp32(12, 12, Rgba{1, 2, 3, 4}));
    int loaded = 0;
    int refused = 0;
    for (const auto& [name, bytes] : sources) {
        for (qsizetype length = 0; length < bytes.size(); length += 1 + length / 8) {
            test::writeBytes(file(name), bytes.left(length));
            PictureFile picture;
            if (picture.loadPicture(file(name))) {
                ++loaded;
                EXPECT_GE(picture.width(), kMinPictureSide);
                EXPECT_LE(picture.width(), kMaxPictureSide);
            } else {
                ++refused;
                EXPECT_FALSE(picture.errorText().empty());
            }
        }
        // Bytes flipped through the header and the data.
        for (qsizetype at = 0; at < bytes.size(); at += 1 + at / 4) {
            QByteArray corrupt = bytes;
            corrupt[at] = char(corrupt[at] ^ 0x5A);
            test::writeBytes(file(name), corrupt);
            PictureFile picture;
            if (picture.loadPicture(file(name))) {
                EXPECT_LE(picture.height(), kMaxPictureSide);
            }
        }
    }
    qInstallMessageHandler(previousHandler);
    EXPECT_GT(refused, 0);
    EXPECT_GT(loaded + refused, 100);
}

TEST_F(PictureFileTest, PicturesLoadOnSeveralThreadsAtOnce) {
    test::writeWithQt(file("p.jpg"), test::patternImage(), "jpeg", 100);
    test::writeWithQt(file("p.png"), test::patternImage(), "png");
    test::writeBytes(file("p.gif"), test::patternGif());
    std::vector<std::thread> threads;
    std::array<int, 4> successes{};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                PictureFile picture;
                const char* name = i % 3 == 0 ? "p.jpg" : i % 3 == 1 ? "p.png" : "p.gif";
                if (picture.loadPicture(file(name)) && picture.width() == test::kPatternWidth) {
                    picture.shrinkToFit(32);
                    if (picture.savePicture(file("t" + std::to_string(t) + "-" + name)))
                        ++successes[std::size_t(t)];
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(successes, (std::array<int, 4>{20, 20, 20, 20}));
}

} // namespace
} // namespace kelvora
