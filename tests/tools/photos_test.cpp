// The generated photos as the import and the photo views will meet them: files that decode, of every shape
// and type promised, upright once their orientation tag is honoured, all different people; and the
// photo-mode sample event as the program loads it.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "photos/photo_files.h"
#include "photos/portrait.h"
#include "records/data_paths.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "settings/picture_name_list.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using kelvora::test::TempDir;
using namespace kelvora;

int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runPhotos(const fs::path& folder, const std::string& options) {
    return run(std::string("'") + KELVORA_PHOTOS_TOOL + "' '" + folder.string() + "' " + options);
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString qpath(const fs::path& file) {
    return QString::fromStdString(file.string());
}

// Mean absolute difference per channel, 0..255.
double difference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// A coarse fingerprint of a face: two photos of the same person would share it.
std::string thumbnail(const QImage& picture) {
    const QImage small = picture.scaled(12, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    std::string bytes;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            bytes += static_cast<char>(qGray(small.pixel(x, y)) / 8);
    return bytes;
}

QByteArray jpegOf(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(picture);
    return bytes;
}

TEST(GeneratedPhotos, EveryPlannedPhotoIsWrittenUprightDecodableAndDistinctInEachPromisedShapeAndType) {
    TempDir dir;
    const fs::path folder = dir.path() / "照片";
    constexpr int kCount = 50;
    constexpr std::uint32_t kSeed = 7;
    ASSERT_EQ(runPhotos(folder, "50 --seed 7 --with-hidden"), 0);

    const std::vector<photos::PhotoPlan> plans = photos::planPhotos(kCount, kSeed);
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(folder))
        onDisk.insert(entry.path().filename().string());
    EXPECT_EQ(onDisk.size(), static_cast<std::size_t>(kCount) + 1) << "names collide, or files are missing";
    EXPECT_TRUE(onDisk.count(".隐藏.jpg"));

    std::set<std::string> faces;
    std::map<std::string, int> formats;
    int portrait = 0, landscape = 0, square = 0, tagged = 0, big = 0;
    for (const photos::PhotoPlan& plan : plans) {
        const std::string name = QString::fromStdU16String(plan.fileName).toStdString();
        SCOPED_TRACE(name);
        ASSERT_TRUE(onDisk.count(name));
        QImageReader reader(qpath(folder / name));
        reader.setAutoTransform(true);
        const QByteArray format = reader.format();
        const QImage picture = reader.read();
        ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(picture.size(), plan.size) << "not upright, or not the planned size";
        EXPECT_EQ(format, plan.extension == "jpg" ? QByteArray("jpeg") : QByteArray(plan.extension.c_str()))
            << "the content does not match the extension";
        EXPECT_LT(fs::file_size(folder / name), 10u * 1024 * 1024) << "the import would refuse it";
        faces.insert(thumbnail(picture));
        ++formats[plan.extension];
        portrait += plan.size.width() < plan.size.height();
        landscape += plan.size.width() > plan.size.height();
        square += plan.size.width() == plan.size.height();
        tagged += plan.exifOrientation != 1;
        big += std::max(plan.size.width(), plan.size.height()) >= 3000;
    }
    EXPECT_EQ(faces.size(), plans.size()) << "two photos show the same face";
    EXPECT_GT(formats["jpg"], kCount / 2);
    EXPECT_GE(formats["png"], 3);
    EXPECT_EQ(formats["bmp"], 1);
    EXPECT_EQ(formats["gif"], 1);
    EXPECT_GT(portrait, landscape);
    EXPECT_GE(landscape, 5);
    EXPECT_GE(square, 5);
    EXPECT_EQ(tagged, 2);
    EXPECT_GE(big, 1);

    // The same seed paints the same files; a second run into the folder refuses and changes nothing.
    ASSERT_EQ(runPhotos(dir.path() / "again", "50 --seed 7"), 0);
    const std::string first = QString::fromStdU16String(plans[0].fileName).toStdString();
    EXPECT_EQ(bytesOf(folder / first), bytesOf(dir.path() / "again" / first));
    std::ofstream(dir.path() / "again" / first, std::ios::trunc) << "mine";
    EXPECT_EQ(runPhotos(dir.path() / "again", "50 --seed 7"), 1);
    EXPECT_EQ(bytesOf(dir.path() / "again" / first), "mine");

    // Another seed: other people.
    const std::vector<photos::PhotoPlan> other = photos::planPhotos(kCount, 8);
    EXPECT_NE(other[0].fileName, plans[0].fileName);
    EXPECT_GT(difference(photos::paintPortrait(7, 0, {150, 200}), photos::paintPortrait(8, 0, {150, 200})),
              5.0);
}

TEST(GeneratedPhotos, BadArgumentsWriteNothing) {
    TempDir dir;
    for (const char* options : {"0", "30001", "12x", "", "5 --seed", "5 --seed -1", "5 6"}) {
        SCOPED_TRACE(options);
        EXPECT_EQ(runPhotos(dir.path() / "out", options), 2);
    }
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    std::ofstream(dir.path() / "file") << "x";
    EXPECT_EQ(runPhotos(dir.path() / "file" / "sub", "3"), 1);
}

TEST(ExifOrientation, ATaggedJpegReadsUprightWhereTheReaderHonoursTheTag) {
    const QImage upright = photos::paintPortrait(3, 11, {300, 400});
    const std::map<int, QImageIOHandler::Transformations> expected = {
        {3, QImageIOHandler::TransformationRotate180},
        {6, QImageIOHandler::TransformationRotate90},
        {8, QImageIOHandler::TransformationRotate270},
    };
    for (const auto& [orientation, transformation] : expected) {
        SCOPED_TRACE(orientation);
        QByteArray bytes = photos::withExifOrientation(
            jpegOf(photos::storedForOrientation(upright, orientation)), orientation);
        ASSERT_FALSE(bytes.isEmpty());

        QBuffer raw(&bytes);
        QImageReader stored(&raw, "jpeg");
        EXPECT_EQ(stored.transformation(), transformation);
        EXPECT_EQ(stored.size(), orientation == 3 ? QSize(300, 400) : QSize(400, 300)) << "pixels not turned";

        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(true);
        const QImage shown = reader.read();
        ASSERT_EQ(shown.size(), upright.size());
        EXPECT_LT(difference(shown, upright), 4.0) << "turned the wrong way";
    }

    // The segment goes straight after the start of the image and only into a JPEG.
    const QByteArray plain = jpegOf(upright);
    const QByteArray tagged = photos::withExifOrientation(plain, 6);
    EXPECT_EQ(tagged.size(), plain.size() + 36);
    EXPECT_EQ(tagged.mid(2, 2), QByteArray("\xFF\xE1", 2));
    EXPECT_EQ(tagged.mid(6, 6), QByteArray("Exif\0\0", 6));
    EXPECT_EQ(tagged.mid(0, 2), plain.mid(0, 2));
    EXPECT_EQ(tagged.mid(38), plain.mid(2));
    EXPECT_TRUE(photos::withExifOrientation(QByteArray("\x89PNG\r\n", 6), 6).isEmpty());
    EXPECT_TRUE(photos::withExifOrientation(plain, 9).isEmpty());
}

TEST(GifEncoding, DecodesToThePictureWithinTheColourCubesSteps) {
    for (const QSize size : {QSize(300, 400), QSize(17, 11), QSize(1, 1)}) {
        SCOPED_TRACE(size.width());
        const QImage picture = photos::paintPortrait(5, 2, size);
        QByteArray bytes = photos::encodeGif(picture);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "gif");
        const QImage decoded = reader.read();
        ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(decoded.size(), size);
        const QImage blurredA = picture.scaled(std::max(1, size.width() / 4), std::max(1, size.height() / 4),
                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage blurredB =
            decoded.scaled(blurredA.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(difference(blurredA, blurredB), size.width() > 100 ? 8.0 : 52.0)
            << "more than one step of the cube";
    }
}

TEST(PhotoSampleEvent, ThePictureListLoadsWithShrunkPhotosItsRatioAndPictureModeAndIsNotOverwritten) {
    TempDir dir;
    const std::string command =
        std::string("'") + KELVORA_SAMPLE_DATA_TOOL + "' --photos 45 '" + dir.path().string() + "'";
    ASSERT_EQ(run(command), 0);
    const DataPaths paths(dir.path());

    PictureNameList list;
    ASSERT_TRUE(loadPictureNameList(paths, list));
    ASSERT_EQ(list.entries.size(), 45u);
    double landscapeSum = 0, portraitSum = 0;
    int shrunk = 0;
    std::set<std::u16string> names;
    for (const Entrant& entrant : list.entries) {
        names.insert(std::u16string(entrant.text()));
        const auto file = picturePath(paths, entrant);
        ASSERT_TRUE(file.has_value());
        SCOPED_TRACE(file->string());
        ASSERT_TRUE(fs::is_regular_file(*file));
        QImageReader reader(qpath(*file));
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        ASSERT_TRUE(size.isValid()) << reader.errorString().toStdString();
        EXPECT_LE(std::max(size.width(), size.height()), 650);
        shrunk += std::max(size.width(), size.height()) == 650;
        const double w = size.width(), h = size.height();
        landscapeSum += w < h ? 1 : w / h;
        portraitSum += w < h ? h / w : 1;
    }
    EXPECT_EQ(names.size(), list.entries.size());
    EXPECT_GT(shrunk, 30) << "the photos larger than 650 were not shrunk to it";
    EXPECT_NEAR(list.aspectRatio, std::clamp(landscapeSum / portraitSum, 0.5, 2.0), 1e-9);
    EXPECT_LT(list.aspectRatio, 1.0) << "mostly portraits";

    DrawMode mode{kTextMode};
    ASSERT_TRUE(loadDrawMode(paths, mode));
    EXPECT_EQ(mode.mode, kPictureMode);
    PrizeList prizes;
    ASSERT_TRUE(loadPrizes(paths, prizes));
    ASSERT_FALSE(prizes.empty());
    for (const PrizeItem& prize : prizes)
        EXPECT_LE(prize.perLine, 5) << "photo tiles need room";

    const std::string listBytes = bytesOf(paths.pictureListFile);
    EXPECT_EQ(run(command), 1);
    EXPECT_EQ(run(std::string("'") + KELVORA_SAMPLE_DATA_TOOL + "' --photos 3 '" + dir.path().string() + "'"),
              1);
    EXPECT_EQ(bytesOf(paths.pictureListFile), listBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(paths.pictureFolder), fs::directory_iterator()), 46);
    EXPECT_EQ(run(std::string("'") + KELVORA_SAMPLE_DATA_TOOL + "' --photos 0 '" +
                  (dir.path() / "x").string() + "'"),
              2);
}

} // namespace
