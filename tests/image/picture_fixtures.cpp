#include "picture_fixtures.h"

#include <fstream>
#include <stdexcept>

#include <QBuffer>
#include <QImageWriter>
#include <gif_lib.h>

namespace kelvora::test {

Rgba pixelAt(const FCObjImage& image, int x, int y) {
    const std::uint8_t* row = image.row(y);
    switch (image.colorBits()) {
    case 8: {
        const QRgb entry = image.palette()[row[x]];
        return Rgba{qRed(entry), qGreen(entry), qBlue(entry), 255};
    }
    case 24:
        return Rgba{row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
    case 32:
        return Rgba{row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
    default:
        return Rgba{-1, -1, -1, -1};
    }
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

std::string describe(const Rgba& c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + "," +
           std::to_string(c.alpha) + ")";
}

QImage patternImage() {
    QImage image(kPatternWidth, kPatternHeight, QImage::Format_RGB32);
    for (int y = 0; y < kPatternHeight; ++y) {
        for (int x = 0; x < kPatternWidth; ++x) {
            const Rgba& c =
                kQuadrantColours[(y < kPatternHeight / 2 ? 0 : 2) + (x < kPatternWidth / 2 ? 0 : 1)];
            image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    }
    return image;
}

int quadrantX(int quadrant, int width) {
    return (quadrant % 2 == 0 ? 1 : 3) * width / 4;
}
int quadrantY(int quadrant, int height) {
    return (quadrant < 2 ? 1 : 3) * height / 4;
}

QByteArray encodeWithQt(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw std::runtime_error("Qt could not write " + std::string(format) + ": " +
                                 writer.errorString().toStdString());
    return bytes;
}

void writeBytes(const std::filesystem::path& path, const QByteArray& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void writeWithQt(const std::filesystem::path& path, const QImage& image, const char* format, int quality) {
    writeBytes(path, encodeWithQt(image, format, quality));
}

namespace {

int appendGifBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// giflib's encoder over indexed rows; the palette is padded to a power of two as GIF requires.
QByteArray gifFromIndices(int width, int height, const std::vector<Rgba>& palette,
                          const std::vector<std::vector<GifByteType>>& frames) {
    int size = 2;
    while (size < int(palette.size()))
        size *= 2;
    std::vector<GifColorType> colours(std::size_t(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{GifByteType(palette[i].red), GifByteType(palette[i].green),
                                  GifByteType(palette[i].blue)};
    QByteArray bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, appendGifBytes, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    for (std::size_t f = 0; ok && f < frames.size(); ++f) {
        if (frames.size() > 1) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSE_DO_NOT;
            control.DelayTime = int(10 * (f + 1)); // hundredths of a second
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType extension[4];
            const std::size_t length = EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
        }
        ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < height; ++y)
            ok = EGifPutLine(gif, const_cast<GifByteType*>(frames[f].data()) + std::size_t(y) * width,
                             width) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("giflib could not write the test GIF");
    return bytes;
}

void putLe(QByteArray& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray animatedGif(int width, int height, const std::vector<Rgba>& palette,
                       const std::vector<int>& frames) {
    std::vector<std::vector<GifByteType>> indexed;
    for (int index : frames)
        indexed.emplace_back(std::size_t(width) * height, GifByteType(index));
    return gifFromIndices(width, height, palette, indexed);
}

QByteArray patternGif() {
    std::vector<GifByteType> indices(std::size_t(kPatternWidth) * kPatternHeight);
    for (int y = 0; y < kPatternHeight; ++y) {
        for (int x = 0; x < kPatternWidth; ++x)
            indices[std::size_t(y) * kPatternWidth + x] =
                GifByteType((y < kPatternHeight / 2 ? 0 : 2) + (x < kPatternWidth / 2 ? 0 : 1));
    }
    return gifFromIndices(
        kPatternWidth, kPatternHeight,
        {kQuadrantColours[0], kQuadrantColours[1], kQuadrantColours[2], kQuadrantColours[3]}, {indices});
}

QByteArray bmp32(int width, int height, Rgba colour) {
    const std::uint32_t pixelBytes = std::uint32_t(width) * height * 4;
    QByteArray bytes("BM");
    putLe(bytes, 54 + pixelBytes, 4);
    putLe(bytes, 0, 4);
    putLe(bytes, 54, 4);
    putLe(bytes, 40, 4); // BITMAPINFOHEADER
    putLe(bytes, std::uint32_t(width), 4);
    putLe(bytes, std::uint32_t(height), 4);
    putLe(bytes, 1, 2);  // planes
    putLe(bytes, 32, 2); // bits per pixel
    putLe(bytes, 0, 4);  // BI_RGB
    putLe(bytes, pixelBytes, 4);
    putLe(bytes, 2835, 4);
    putLe(bytes, 2835, 4);
    putLe(bytes, 0, 4);
    putLe(bytes, 0, 4);
    for (int i = 0; i < width * height; ++i) {
        bytes.append(char(colour.blue));
        bytes.append(char(colour.green));
        bytes.append(char(colour.red));
        bytes.append(char(0));
    }
    return bytes;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray tiff("II*\0", 4);
    putLe(tiff, 8, 4);      // first IFD right after this header
    putLe(tiff, 1, 2);      // one entry
    putLe(tiff, 0x0112, 2); // Orientation
    putLe(tiff, 3, 2);      // SHORT
    putLe(tiff, 1, 4);      // one value
    putLe(tiff, std::uint32_t(orientation), 2);
    putLe(tiff, 0, 2);
    putLe(tiff, 0, 4); // no next IFD
    QByteArray segment("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append("Exif\0\0", 6);
    segment.append(tiff);
    QByteArray out = jpeg;
    out.insert(2, segment);
    return out;
}

} // namespace kelvora::test
