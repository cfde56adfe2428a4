#include "photos/photo_files.h"

#include <QBuffer>
#include <QImageWriter>
#include <QString>
#include <QTransform>

#include <array>
#include <fstream>

#include "photos/person_names.h"
#include "photos/portrait.h"

namespace kelvora::photos {

namespace {

constexpr int kJpegQuality = 90;

QSize sizeFor(int index) {
    if (index % 40 == 13)
        return {3000, 4000}; // straight from a camera: what the import has to shrink
    static constexpr std::array<QSize, 10> kSizes = {
        QSize(600, 800),  QSize(900, 1200),  QSize(600, 800), QSize(800, 600),  QSize(600, 800),
        QSize(900, 1200), QSize(1600, 1200), QSize(800, 800), QSize(750, 1000), QSize(1000, 1000),
    };
    return kSizes[static_cast<std::size_t>(index % 10)];
}

// Tagged photos fall on portrait and landscape sizes (indices 11, 36, 61, 86 ... end in 1 or 6), where a
// reader that ignores the tag shows the wrong shape.
int orientationFor(int index) {
    if (index % 25 != 11)
        return 1;
    static constexpr std::array<int, 3> kTags = {6, 8, 3};
    return kTags[static_cast<std::size_t>(index / 25 % 3)];
}

std::string extensionFor(int index, int orientation, QSize size) {
    if (orientation != 1 || size.width() * size.height() > 2'000'000)
        return "jpg"; // a tag needs a JPEG; a big BMP or PNG would pass the loader's 10 MiB
    if (index % 100 == 4)
        return "bmp";
    if (index % 100 == 9)
        return "gif";
    if (index % 7 == 3)
        return "png";
    return "jpg";
}

QByteArray encodeWithQt(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (QByteArray(format) == "jpeg")
        writer.setQuality(kJpegQuality);
    return writer.write(picture) ? bytes : QByteArray();
}

void putLittle16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

} // namespace

std::vector<PhotoPlan> planPhotos(int count, std::uint32_t seed) {
    const std::vector<std::u16string> names =
        personNames(count > 0 ? static_cast<std::size_t>(count) : 0, seed);
    std::vector<PhotoPlan> plans;
    plans.reserve(names.size());
    for (int i = 0; i < count; ++i) {
        PhotoPlan plan;
        plan.index = i;
        plan.size = sizeFor(i);
        plan.exifOrientation = orientationFor(i);
        plan.extension = extensionFor(i, plan.exifOrientation, plan.size);
        plan.fileName = names[static_cast<std::size_t>(i)] + u'.' +
                        QString::fromStdString(plan.extension).toStdU16String();
        plans.push_back(std::move(plan));
    }
    return plans;
}

QByteArray photoFileBytes(std::uint32_t seed, const PhotoPlan& plan) {
    const QImage upright = paintPortrait(seed, plan.index, plan.size);
    if (plan.extension == "gif")
        return encodeGif(upright);
    if (plan.extension == "jpg") {
        const QByteArray jpeg = encodeWithQt(storedForOrientation(upright, plan.exifOrientation), "jpeg");
        return plan.exifOrientation == 1 ? jpeg : withExifOrientation(jpeg, plan.exifOrientation);
    }
    return encodeWithQt(upright, plan.extension.c_str());
}

QImage storedForOrientation(const QImage& upright, int orientation) {
    // QTransform::rotate turns clockwise on the screen (y grows downwards).
    switch (orientation) {
    case 3:
        return upright.transformed(QTransform().rotate(180));
    case 6:
        return upright.transformed(QTransform().rotate(-90));
    case 8:
        return upright.transformed(QTransform().rotate(90));
    default:
        return upright;
    }
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    if (jpeg.size() < 2 || static_cast<unsigned char>(jpeg[0]) != 0xFF ||
        static_cast<unsigned char>(jpeg[1]) != 0xD8 || orientation < 1 || orientation > 8)
        return {};
    // The segment length counts itself and everything after the marker: 2 + 6 + 8 + 2 + 12 + 4 = 34.
    const unsigned char segment[] = {
        0xFF, 0xE1,
        0x00, 34, // APP1 and its length
        'E',  'x',
        'i',  'f',
        0,    0, // the EXIF identifier
        'M',  'M',
        0x00, 0x2A,
        0x00, 0x00,
        0x00, 0x08, // big-endian TIFF, first IFD 8 bytes in
        0x00, 0x01, // one entry
        0x01, 0x12,
        0x00, 0x03,
        0x00, 0x00,
        0x00, 0x01, // Orientation, SHORT, one value
        0x00, static_cast<unsigned char>(orientation),
        0x00, 0x00, // the value, left-justified in 4 bytes
        0x00, 0x00,
        0x00, 0x00, // no next IFD
    };
    QByteArray out = jpeg.left(2);
    out.append(reinterpret_cast<const char*>(segment), sizeof segment);
    out.append(jpeg.mid(2));
    return out;
}

QByteArray encodeGif(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return {};

    QByteArray out("GIF89a");
    putLittle16(out, width);
    putLittle16(out, height);
    out.append(static_cast<char>(0xF7)); // a global table of 256 colours
    out.append(2, '\0');                 // background index, aspect
    // The cube: 6 reds, 7 greens, 6 blues = 252 colours, the rest black.
    for (int i = 0; i < 256; ++i) {
        const int r = i < 252 ? i / 42 : 0, g = i < 252 ? i / 6 % 7 : 0, b = i < 252 ? i % 6 : 0;
        out.append(static_cast<char>(r * 255 / 5));
        out.append(static_cast<char>(g * 255 / 6));
        out.append(static_cast<char>(b * 255 / 5));
    }
    out.append(',');
    putLittle16(out, 0);
    putLittle16(out, 0);
    putLittle16(out, width);
    putLittle16(out, height);
    out.append('\0'); // no local table, not interlaced
    out.append(8);    // minimum code size: 8-bit indices, so 9-bit codes, clear = 256, end = 257

    // Every code is 9 bits. After a clear the decoder adds one table entry per code after the first; 250
    // literals keep its next entry below 512, where it would switch to 10-bit codes.
    QByteArray data;
    std::uint32_t bits = 0;
    int bitCount = 0;
    auto putCode = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            data.append(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    auto level = [](int value, int steps, int threshold) {
        const int scaled = value * (steps - 1) * 16 + threshold * 255;
        return std::min(steps - 1, scaled / (255 * 16));
    };
    int sinceClear = 250;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (sinceClear == 250) {
                putCode(256);
                sinceClear = 0;
            }
            const int t = kBayer[y & 3][x & 3];
            const QRgb c = line[x];
            putCode(level(qRed(c), 6, t) * 42 + level(qGreen(c), 7, t) * 6 + level(qBlue(c), 6, t));
            ++sinceClear;
        }
    }
    putCode(257);
    if (bitCount > 0)
        data.append(static_cast<char>(bits & 0xFF));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype length = std::min<qsizetype>(255, data.size() - at);
        out.append(static_cast<char>(length));
        out.append(data.mid(at, length));
    }
    out.append('\0'); // end of the image data
    out.append(';');  // trailer
    return out;
}

bool writeFileBytes(const std::filesystem::path& file, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    out.close();
    return static_cast<bool>(out);
}

} // namespace kelvora::photos
