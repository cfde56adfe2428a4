#include "image/fc_image_codec_qt.h"

#include <cstring>
#include <fstream>
#include <mutex>
#include <span>
#include <string_view>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include "image/fc_image_effect.h"
#include "image/fc_image_property.h"
#include "image/gif_encoder.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

using namespace std::string_view_literals;

// The Qt reader for the signature the data starts with, among the formats the program reads; empty for
// anything else. Qt's own detection would also accept WebP, TGA, XPM, SVG and more.
QByteArray sniffFormat(const void* data, std::size_t size) {
    const auto startsWith = [&](std::string_view signature) {
        return size >= signature.size() && std::memcmp(data, signature.data(), signature.size()) == 0;
    };
    if (startsWith("BM"sv))
        return "bmp";
    if (startsWith("\xFF\xD8\xFF"sv))
        return "jpeg";
    if (startsWith("GIF87a"sv) || startsWith("GIF89a"sv))
        return "gif";
    if (startsWith("\x89PNG\r\n\x1A\n"sv))
        return "png";
    if (startsWith("II*\0"sv) || startsWith("MM\0*"sv))
        return "tiff";
    if (startsWith("\0\0\1\0"sv))
        return "ico";
    return {};
}

// Bits per pixel from a BMP header (BITMAPINFOHEADER or the old BITMAPCOREHEADER); 0 when too short.
int bmpBitCount(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size < 30)
        return 0;
    const unsigned headerSize = bytes[14] | bytes[15] << 8 | bytes[16] << 16 | unsigned(bytes[17]) << 24;
    const std::size_t at = headerSize == 12 ? 24 : 28;
    return bytes[at] | bytes[at + 1] << 8;
}

void raiseAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(kImageAllocationLimitMiB); });
}

// A reader over bytes that stay owned by the caller.
class MemoryReader {
public:
    MemoryReader(const void* data, std::size_t size, const QByteArray& format)
        : m_bytes(QByteArray::fromRawData(static_cast<const char*>(data), qsizetype(size))),
          m_buffer(&m_bytes) {
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setDevice(&m_buffer);
        m_reader.setFormat(format);
        m_reader.setDecideFormatFromContent(true);
        m_reader.setAutoTransform(true);
    }
    QImageReader& reader() { return m_reader; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QImageReader m_reader;
};

// A decoded frame as the program holds it: 32 bits with straight alpha when the picture has alpha (or is a
// 32-bit BMP, whose fourth byte is not alpha and becomes 255), else 24 bits.
bool toHeldFrame(QImage decoded, bool bmp32, FCObjImage& frame) {
    if (decoded.isNull() || decoded.width() <= 0 || decoded.height() <= 0)
        return false;
    if (decoded.hasAlphaChannel() && decoded.pixelFormat().premultiplied() == QPixelFormat::Premultiplied) {
        // Some TIFFs come premultiplied. Undo it with the inverse of the loader's premultiplication, so that
        // a picture reaches the screen with exactly the values it had in the file.
        if (!frame.adoptImage(std::move(decoded).convertToFormat(QImage::Format_ARGB32_Premultiplied)))
            return false;
        FCEffectUnpremultipleAlpha straight;
        frame.applyEffect(straight);
        return true;
    }
    if (decoded.hasAlphaChannel() || bmp32) {
        // Qt's ARGB32 and ARGB32_Premultiplied share one memory layout; the flag is ours to keep.
        QImage argb = std::move(decoded).convertToFormat(QImage::Format_ARGB32);
        return argb.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied) &&
               frame.adoptImage(std::move(argb));
    }
    return frame.adoptImage(std::move(decoded).convertToFormat(QImage::Format_BGR888));
}

} // namespace

bool readImageFile(const std::filesystem::path& path, QByteArray& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(qsizetype(size));
    return size == 0 || bool(in.read(bytes.data(), size));
}

FCImageCodec_Qt::FCImageCodec_Qt() {
    raiseAllocationLimit();
}

bool FCImageCodec_Qt::readSize(const void* data, std::size_t size, int& width, int& height) {
    const QByteArray format = sniffFormat(data, size);
    if (format.isEmpty())
        return false;
    MemoryReader memory(data, size, format);
    QSize found = memory.reader().size();
    if (!found.isValid() || found.isEmpty())
        return false;
    if (memory.reader().transformation() & QImageIOHandler::TransformationRotate90)
        found.transpose();
    width = found.width();
    height = found.height();
    return true;
}

bool FCImageCodec_Qt::loadFile(const std::filesystem::path& path, std::vector<FCObjImage>& frames,
                               FCImageProperty* property, int maxFrames) {
    QByteArray bytes;
    return readImageFile(path, bytes) &&
           loadMemory(bytes.constData(), std::size_t(bytes.size()), frames, property, maxFrames);
}

bool FCImageCodec_Qt::loadMemory(const void* data, std::size_t size, std::vector<FCObjImage>& frames,
                                 FCImageProperty* property, int maxFrames) {
    const QByteArray format = sniffFormat(data, size);
    if (format.isEmpty())
        return false;
    MemoryReader memory(data, size, format);
    QImageReader& reader = memory.reader();
    const bool bmp32 = format == "bmp" && bmpBitCount(data, size) == 32;
    if (property) {
        for (const QString& key : reader.textKeys())
            property->texts.emplace_back(key.toStdU16String(), reader.text(key).toStdU16String());
    }
    bool added = false;
    for (int index = 0; index < maxFrames; ++index) {
        if (index > 0 && !reader.canRead())
            break;
        QImage decoded;
        if (!reader.read(&decoded))
            break;
        FCObjImage frame;
        if (!toHeldFrame(std::move(decoded), bmp32, frame))
            continue;
        frames.push_back(std::move(frame));
        added = true;
        if (property && format == "gif") {
            const int delay = reader.nextImageDelay();
            property->frameDelays.push_back(delay > 0 ? delay : 100);
        }
    }
    return added;
}

bool FCImageCodec_Qt::loadMemoryScaled(const void* data, std::size_t size, int width, int height,
                                       FCObjImage& frame) {
    if (width <= 0 || height <= 0)
        return false;
    const QByteArray format = sniffFormat(data, size);
    if (format.isEmpty())
        return false;
    MemoryReader memory(data, size, format);
    QImageReader& reader = memory.reader();
    // The reader scales the picture as it is stored and turns it upright afterwards.
    QSize stored(width, height);
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        stored.transpose();
    reader.setScaledSize(stored);
    QImage decoded;
    if (!reader.read(&decoded) || decoded.width() != width || decoded.height() != height)
        return false;
    const bool bmp32 = format == "bmp" && bmpBitCount(data, size) == 32;
    return toHeldFrame(std::move(decoded), bmp32, frame);
}

bool FCImageCodec_Qt::saveFile(const std::filesystem::path& path, const FCObjImage& image,
                               const FCImageProperty* property) {
    if (!image.isValid())
        return false;
    const ImageType type = FCImageCodecFactory_Qt::instance().queryImageType(path);
    QByteArray encoded;
    if (type == ImageType::Gif) {
        const int transparentIndex = image.colorBits() == 8 && property ? property->quality : -1;
        if (!encodeGif(image, transparentIndex, encoded))
            return false;
    } else {
        const char* format = type == ImageType::Bmp    ? "bmp"
                             : type == ImageType::Jpeg ? "jpeg"
                             : type == ImageType::Tiff ? "tiff"
                             : type == ImageType::Png  ? "png"
                                                       : nullptr;
        if (!format)
            return false;
        // 32-bit pixels go to the encoder as they are held, read as straight alpha; the view shares the
        // pixels.
        const QImage& held = image.image();
        const QImage source = image.colorBits() == 32 ? QImage(held.constBits(), held.width(), held.height(),
                                                               held.bytesPerLine(), QImage::Format_ARGB32)
                                                      : held;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (type == ImageType::Jpeg)
            writer.setQuality(property && property->quality != -1 ? property->quality : 90);
        if (type == ImageType::Tiff)
            writer.setCompression(1); // LZW, as Windows writes TIFF; uncompressed photos would pass 10 MiB
        if (property) {
            for (const auto& [key, value] : property->texts)
                writer.setText(QString::fromStdU16String(key), QString::fromStdU16String(value));
        }
        if (!writer.write(source))
            return false;
    }
    return static_cast<bool>(writeFileReplacing(
        path, tempPathFor(path), std::as_bytes(std::span(encoded.constData(), std::size_t(encoded.size())))));
}

std::unique_ptr<FCImageCodec> FCImageCodecFactory_Qt::createCodec(ImageType type) const {
    switch (type) {
    case ImageType::Bmp:
    case ImageType::Jpeg:
    case ImageType::Gif:
    case ImageType::Tiff:
    case ImageType::Png:
    case ImageType::Ico:
        return std::make_unique<FCImageCodec_Qt>();
    default:
        return nullptr;
    }
}

const FCImageCodecFactory_Qt& FCImageCodecFactory_Qt::instance() {
    static const FCImageCodecFactory_Qt factory;
    return factory;
}

} // namespace kelvora
