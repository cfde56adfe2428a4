#pragma once
// The in-memory picture every part of the program draws: width, height, 8, 24 or 32 bits per pixel.
//
// Pixels are held in a QImage so that QPainter draws them without a conversion:
//   24 bits  Format_BGR888                blue, green, red
//   32 bits  Format_ARGB32_Premultiplied  blue, green, red, alpha in memory; the colour is premultiplied once
//                                         a picture has gone through PictureFile::loadPicture
//    8 bits  Format_Indexed8              256-entry palette, grey (i, i, i) when created
// Every row is padded to a multiple of 4 bytes, stride = (bitsPerPixel * width + 31) / 32 * 4, and row 0 is
// the top row. Copies share their pixels until one of them writes (QImage's implicit sharing), so an image
// can be handed to another thread by value. No call here touches a QPixmap or needs a QGuiApplication.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>

#include <QImage>

class QPainter;

namespace kelvora {

class FCImageEffect;
class FCImageProperty;

// Progress receiver of long pixel operations: called with 0..100, returns false to ask for a stop.
using FCProgressFunction = std::function<bool(int percent)>;

class FCObjImage {
public:
    // A zero-filled image (8-bit: grey palette). Drops the current pixels first; false, and empty, for a
    // width or height <= 0, a depth other than 8, 24 or 32, or when the memory cannot be had.
    bool create(int width, int height, int bitsPerPixel);
    // Frees the pixels; width, height and depth become 0.
    void destroy();

    // Decodes the first frame of a file with the codec that its extension selects (FCImageCodecFactory_Qt).
    // 32-bit results hold straight (not premultiplied) alpha. The current image is replaced only on success.
    // No size limits: PictureFile::loadPicture is the checked way to load what a user chose.
    bool load(const std::filesystem::path& path, FCImageProperty* property = nullptr);
    // Encodes with the codec of the path's extension (BMP, JPEG, GIF, TIFF, PNG); quality -1 means 90. 32-bit
    // pixels are written as they are held, taken as straight alpha.
    bool save(const std::filesystem::path& path, int quality = -1) const;

    // Nearest-neighbour resampling: destination column j reads source column j * srcWidth / dstWidth, row i
    // reads row i * srcHeight / dstHeight (integer division). Nothing for an empty image, a non-positive or
    // an unchanged size. An 8-bit image keeps its palette.
    void stretch(int width, int height);

    // Runs an effect over the image: per pixel, rows from the top, reporting (100 * (row + 1)) / height after
    // each row; stops after the row during which progress answered false.
    void applyEffect(FCImageEffect& effect, const FCProgressFunction& progress = {});

    // Draws the whole image into the rectangle (left, top)-(right, bottom), stretched nearest-neighbour.
    // 8 and 24 bits are copied; 32 bits are blended source-over as premultiplied alpha. The painter's
    // composition mode and smoothing hint are restored afterwards. Nothing for an empty image or rectangle.
    void draw(QPainter& painter, int left, int top, int right, int bottom) const;
    // The same at the image's own size.
    void drawAt(QPainter& painter, int x, int y) const;

    // The 256 palette entries of an 8-bit image as 0xAARRGGBB (alpha always 0xFF); all zero for other depths.
    std::array<QRgb, 256> palette() const;
    // Sets the palette of an 8-bit image (alpha forced opaque); nothing for other depths.
    void setPalette(const std::array<QRgb, 256>& entries);

    void swap(FCObjImage& other) noexcept;

    bool isValid() const { return !m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    int colorBits() const { return isValid() ? m_image.depth() : 0; }
    int stride() const { return isValid() ? int(m_image.bytesPerLine()) : 0; }
    // Row y (0 = top) of a valid image; y must be within 0..height-1.
    std::uint8_t* row(int y) { return m_image.scanLine(y); }
    const std::uint8_t* row(int y) const { return m_image.constScanLine(y); }

    // The pixels as a QImage in one of the three formats above (a null image when empty).
    const QImage& image() const { return m_image; }
    // Takes over a QImage of Format_Indexed8, Format_BGR888 or Format_ARGB32_Premultiplied (its pixels are
    // kept as they are); false, and nothing changed, for any other format or a null image.
    bool adoptImage(QImage image);

private:
    QImage m_image;
};

} // namespace kelvora
