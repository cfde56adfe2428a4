#include "image/picture_file.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "image/fc_image_codec_qt.h"
#include "image/fc_image_effect.h"

namespace kelvora {

namespace {

// The size rules of loaded pictures; empty when the size passes. The small rule comes first, so 10001 x 5 is
// too small rather than too big.
std::u16string_view sizeError(int width, int height) {
    if (width < kMinPictureSide || height < kMinPictureSide)
        return kPictureTooSmallText;
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return kPictureTooBigText;
    return {};
}

// A decoded frame (24 bits, or 32 bits holding straight alpha under the premultiplied label) scaled smoothly,
// in its own format.
QImage scaledStraight(QImage frame, const QSize& size) {
    const QImage::Format held = frame.format();
    if (held == QImage::Format_ARGB32_Premultiplied)
        frame.reinterpretAsFormat(QImage::Format_ARGB32);
    QImage scaled = frame.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (held == QImage::Format_ARGB32_Premultiplied) {
        scaled = std::move(scaled).convertToFormat(QImage::Format_ARGB32);
        scaled.reinterpretAsFormat(held);
        return scaled;
    }
    return std::move(scaled).convertToFormat(held);
}

} // namespace

bool PictureFile::readChecked(const std::filesystem::path& path, QByteArray& bytes,
                              std::unique_ptr<FCImageCodec>& codec) {
    release();
    m_path = path;
    m_errorText.clear();

    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return fail(kPictureMissingText);
    // Only regular files are read: a FIFO or a device named like a picture would block or never end.
    if (!std::filesystem::is_regular_file(status))
        return fail(kPictureInvalidText);
    if (std::filesystem::file_size(path, error) > kMaxPictureFileBytes || error)
        return fail(error ? kPictureInvalidText : kPictureFileTooLargeText);

    const FCImageCodecFactory& factory = FCImageCodecFactory_Qt::instance();
    codec = factory.createCodec(factory.queryImageType(path));
    if (!codec || !readImageFile(path, bytes))
        return fail(kPictureInvalidText);
    if (std::uintmax_t(bytes.size()) > kMaxPictureFileBytes) // grew since it was measured
        return fail(kPictureFileTooLargeText);
    return true;
}

bool PictureFile::decodeWhole(FCImageCodec& codec, QByteArray& bytes) {
    std::vector<FCObjImage> frames;
    if (!codec.loadMemory(bytes.constData(), std::size_t(bytes.size()), frames, nullptr, 1))
        return fail(kPictureInvalidText);
    bytes.clear();
    m_image.swap(frames.front());
    frames.clear();
    // The decoded size is checked again: a header may lie.
    if (const std::u16string_view text = sizeError(m_image.width(), m_image.height()); !text.empty()) {
        release();
        return fail(text);
    }
    return true;
}

void PictureFile::finishLoad() {
    if (m_image.colorBits() == 32) {
        FCEffectPremultipleAlpha premultiply;
        m_image.applyEffect(premultiply);
    }
    recordSize();
}

bool PictureFile::loadPicture(const std::filesystem::path& path) {
    QByteArray bytes;
    std::unique_ptr<FCImageCodec> codec;
    if (!readChecked(path, bytes, codec))
        return false;
    int headerWidth = 0;
    int headerHeight = 0;
    if (codec->readSize(bytes.constData(), std::size_t(bytes.size()), headerWidth, headerHeight)) {
        if (const std::u16string_view text = sizeError(headerWidth, headerHeight); !text.empty())
            return fail(text);
    }
    if (!decodeWhole(*codec, bytes))
        return false;
    finishLoad();
    return true;
}

bool PictureFile::loadPictureScaled(const std::filesystem::path& path,
                                    const std::function<QSize(QSize)>& decodeSize) {
    QByteArray bytes;
    std::unique_ptr<FCImageCodec> codec;
    if (!readChecked(path, bytes, codec))
        return false;
    int headerWidth = 0;
    int headerHeight = 0;
    if (!codec->readSize(bytes.constData(), std::size_t(bytes.size()), headerWidth, headerHeight)) {
        // No size before decoding: the whole picture is decoded and checked, then scaled as a reader would.
        if (!decodeWhole(*codec, bytes))
            return false;
        const QSize target = decodeSize(QSize(m_image.width(), m_image.height()));
        if (target.isEmpty()) {
            release();
            return fail(kPictureInvalidText);
        }
        if (target != QSize(m_image.width(), m_image.height())) {
            if (!m_image.adoptImage(scaledStraight(m_image.image(), target))) {
                release();
                return fail(kPictureInvalidText);
            }
        }
        finishLoad();
        return true;
    }
    if (const std::u16string_view text = sizeError(headerWidth, headerHeight); !text.empty())
        return fail(text);
    const QSize target = decodeSize(QSize(headerWidth, headerHeight));
    if (target.isEmpty() || !codec->loadMemoryScaled(bytes.constData(), std::size_t(bytes.size()),
                                                     target.width(), target.height(), m_image))
        return fail(kPictureInvalidText);
    finishLoad();
    return true;
}

void PictureFile::release() {
    m_image.destroy();
    m_width = 0;
    m_height = 0;
}

void PictureFile::shrinkToFit(int maxSide) {
    if (m_width <= 0 || m_height <= 0)
        return;
    const double f = m_width < m_height ? double(maxSide) / m_height : double(maxSide) / m_width;
    const int width = std::min(int(f * m_width), maxSide);
    const int height = std::min(int(f * m_height), maxSide);
    m_image.stretch(width, height);
    recordSize();
}

void PictureFile::resizeTo(int width, int height) {
    m_image.stretch(width, height);
    recordSize();
}

void PictureFile::drawInto(QPainter& painter, int left, int top, int right, int bottom) const {
    if (right <= left || bottom <= top)
        return;
    if (right - left == m_width && bottom - top == m_height)
        m_image.drawAt(painter, left, top);
    else
        m_image.draw(painter, left, top, right, bottom);
}

bool PictureFile::savePicture(const std::filesystem::path& path) const {
    if (m_image.colorBits() != 32)
        return m_image.save(path);
    FCObjImage straight = m_image; // shares the pixels until the effect writes
    FCEffectUnpremultipleAlpha unpremultiply;
    straight.applyEffect(unpremultiply);
    return straight.save(path);
}

bool PictureFile::fail(std::u16string_view text) {
    m_errorText = text;
    return false;
}

void PictureFile::recordSize() {
    m_width = m_image.width();
    m_height = m_image.height();
}

} // namespace kelvora
