#include "image/fc_obj_image.h"

#include <cstring>
#include <vector>

#include <QPainter>

#include "image/fc_image_codec_qt.h"
#include "image/fc_image_effect.h"
#include "image/fc_image_property.h"

namespace kelvora {

namespace {

QImage::Format formatForBits(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 8:
        return QImage::Format_Indexed8;
    case 24:
        return QImage::Format_BGR888;
    case 32:
        return QImage::Format_ARGB32_Premultiplied;
    default:
        return QImage::Format_Invalid;
    }
}

QList<QRgb> greyPalette() {
    QList<QRgb> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[i] = qRgb(i, i, i);
    return entries;
}

qsizetype dibStride(int width, int bitsPerPixel) {
    return (qsizetype(bitsPerPixel) * width + 31) / 32 * 4;
}

} // namespace

bool FCObjImage::create(int width, int height, int bitsPerPixel) {
    destroy();
    const QImage::Format format = formatForBits(bitsPerPixel);
    if (width <= 0 || height <= 0 || format == QImage::Format_Invalid)
        return false;
    QImage image(width, height, format);
    if (image.isNull())
        return false;
    // The whole buffer, row padding included (QImage::fill leaves the padding of 24-bit rows alone).
    std::memset(image.bits(), 0, std::size_t(image.sizeInBytes()));
    if (bitsPerPixel == 8)
        image.setColorTable(greyPalette());
    m_image = std::move(image);
    return true;
}

void FCObjImage::destroy() {
    m_image = QImage();
}

bool FCObjImage::load(const std::filesystem::path& path, FCImageProperty* property) {
    const FCImageCodecFactory& factory = FCImageCodecFactory_Qt::instance();
    const std::unique_ptr<FCImageCodec> codec = factory.createCodec(factory.queryImageType(path));
    std::vector<FCObjImage> frames;
    // Only the first frame is ever shown, so only the first is decoded: an animated GIF of many large frames
    // would otherwise cost their sum.
    if (!codec || !codec->loadFile(path, frames, property, 1))
        return false;
    swap(frames.front());
    return true;
}

bool FCObjImage::save(const std::filesystem::path& path, int quality) const {
    const FCImageCodecFactory& factory = FCImageCodecFactory_Qt::instance();
    const std::unique_ptr<FCImageCodec> codec = factory.createCodec(factory.queryImageType(path));
    if (!codec)
        return false;
    FCImageProperty property;
    property.quality = quality;
    return codec->saveFile(path, *this, &property);
}

void FCObjImage::stretch(int width, int height) {
    if (!isValid() || width <= 0 || height <= 0 || (width == this->width() && height == this->height()))
        return;
    QImage out(width, height, m_image.format());
    if (out.isNull())
        return;
    if (m_image.format() == QImage::Format_Indexed8)
        out.setColorTable(m_image.colorTable());

    const int bytes = colorBits() / 8;
    const std::int64_t sourceWidth = this->width();
    const std::int64_t sourceHeight = this->height();
    std::vector<int> sourceOffset(std::size_t(width), 0);
    for (int j = 0; j < width; ++j)
        sourceOffset[std::size_t(j)] = int(j * sourceWidth / width) * bytes;

    const qsizetype outStride = out.bytesPerLine();
    const qsizetype usedBytes = qsizetype(width) * bytes;
    std::uint8_t* outBits = out.bits();
    int previousSourceRow = -1;
    for (int i = 0; i < height; ++i) {
        std::uint8_t* target = outBits + qsizetype(i) * outStride;
        const int sourceRow = int(i * sourceHeight / height);
        if (sourceRow == previousSourceRow) {
            // Enlarging repeats rows: copy the row just made.
            std::memcpy(target, target - outStride, std::size_t(outStride));
            continue;
        }
        previousSourceRow = sourceRow;
        const std::uint8_t* source = m_image.constScanLine(sourceRow);
        switch (bytes) {
        case 4:
            for (int j = 0; j < width; ++j)
                std::memcpy(target + qsizetype(j) * 4, source + sourceOffset[std::size_t(j)], 4);
            break;
        case 3:
            for (int j = 0; j < width; ++j)
                std::memcpy(target + qsizetype(j) * 3, source + sourceOffset[std::size_t(j)], 3);
            break;
        default:
            for (int j = 0; j < width; ++j)
                target[j] = source[sourceOffset[std::size_t(j)]];
            break;
        }
        std::memset(target + usedBytes, 0, std::size_t(outStride - usedBytes)); // row padding
    }
    m_image = std::move(out);
}

void FCObjImage::applyEffect(FCImageEffect& effect, const FCProgressFunction& progress) {
    if (!effect.isValidImage(*this))
        return;
    effect.beforeProcess(*this);
    if (effect.processType() == FCImageEffect::WholeImage) {
        effect.processWholeImage(*this, progress);
        return;
    }
    bool stop = progress && !progress(0);
    const int bytes = colorBits() / 8;
    const int w = width();
    const int h = height();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* pixel = row(y);
        for (int x = 0; x < w; ++x, pixel += bytes)
            effect.processPixel(*this, x, y, pixel);
        if (progress && !progress(100 * (y + 1) / h))
            stop = true;
        if (stop)
            break;
    }
}

void FCObjImage::draw(QPainter& painter, int left, int top, int right, int bottom) const {
    if (!isValid() || right <= left || bottom <= top)
        return;
    const QPainter::CompositionMode previousMode = painter.compositionMode();
    const bool previousSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    // Opaque images are copied, 32-bit ones blended as premultiplied; either way nearest neighbour.
    painter.setCompositionMode(colorBits() == 32 ? QPainter::CompositionMode_SourceOver
                                                 : QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(left, top, right - left, bottom - top), m_image, m_image.rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, previousSmooth);
    painter.setCompositionMode(previousMode);
}

void FCObjImage::drawAt(QPainter& painter, int x, int y) const {
    draw(painter, x, y, x + width(), y + height());
}

std::array<QRgb, 256> FCObjImage::palette() const {
    std::array<QRgb, 256> entries{};
    if (colorBits() != 8)
        return entries;
    const QList<QRgb> table = m_image.colorTable();
    for (qsizetype i = 0; i < table.size() && i < 256; ++i)
        entries[std::size_t(i)] = table[i] | 0xFF000000u;
    return entries;
}

void FCObjImage::setPalette(const std::array<QRgb, 256>& entries) {
    if (colorBits() != 8)
        return;
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = entries[std::size_t(i)] | 0xFF000000u;
    m_image.setColorTable(table);
}

void FCObjImage::swap(FCObjImage& other) noexcept {
    m_image.swap(other.m_image);
}

bool FCObjImage::adoptImage(QImage image) {
    const QImage::Format format = image.format();
    if (image.isNull() || (format != QImage::Format_Indexed8 && format != QImage::Format_BGR888 &&
                           format != QImage::Format_ARGB32_Premultiplied))
        return false;
    // Qt pads rows to 4 bytes itself; only an image built over foreign memory may differ, so copy that one.
    if (image.bytesPerLine() != dibStride(image.width(), image.depth()))
        image = image.copy();
    if (format == QImage::Format_Indexed8 && image.colorCount() != 256) {
        QList<QRgb> table = image.colorTable();
        table.resize(256, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    m_image = std::move(image);
    return true;
}

} // namespace kelvora
