#include "screen/photo_tiles.h"

#include <QPainter>
#include <QPainterPath>

#include <sys/stat.h>

#include <algorithm>

#include "image/picture_file.h"
#include "screen/photo_paint.h"

namespace kelvora {

namespace {

// What a cached entry costs besides its pixels: the key, the list node, the index.
constexpr std::size_t kEntryOverhead = 256;

} // namespace

PhotoCaptionMode photoCaptionOf(std::int32_t stored) {
    switch (stored) {
    case std::int32_t(PhotoCaptionMode::OnPicture):
    case std::int32_t(PhotoCaptionMode::Hidden):
        return PhotoCaptionMode(stored);
    default:
        return PhotoCaptionMode::OutsidePicture;
    }
}

PhotoCropMode photoCropOf(std::int32_t stored) {
    switch (stored) {
    case std::int32_t(PhotoCropMode::Circle):
    case std::int32_t(PhotoCropMode::None):
        return PhotoCropMode(stored);
    default:
        return PhotoCropMode::Ellipse;
    }
}

PixelRect photoRectInCell(const PixelRect& cell, PhotoCaptionMode caption, int lineHeight) {
    PixelRect photo = cell;
    if (caption == PhotoCaptionMode::OutsidePicture)
        photo.bottom = std::max(int(cell.bottom - 1.5 * lineHeight), cell.top);
    return photo;
}

PixelRect centredPhotoRect(int imageW, int imageH, const PixelRect& photo) {
    const QSize size = fittedSize(imageW, imageH, photo.width(), photo.height());
    const int marginX = int((photo.width() - size.width()) * 0.5);
    const int marginY = int((photo.height() - size.height()) * 0.5);
    return PixelRect{photo.left + marginX, photo.top + marginY, photo.right - marginX,
                     photo.bottom - marginY};
}

PixelRect cropBounds(const PixelRect& fitted, PhotoCropMode crop) {
    if (crop != PhotoCropMode::Circle)
        return fitted;
    PixelRect square = fitted;
    const int trim = int(std::abs(fitted.width() - fitted.height()) * 0.5);
    if (fitted.width() > fitted.height()) {
        square.left += trim;
        square.right -= trim;
    } else {
        square.top += trim;
        square.bottom -= trim;
    }
    return square;
}

CaptionPlace captionPlace(const PixelRect& cell, const PixelRect& shown, PhotoCaptionMode caption,
                          int lineHeight) {
    if (caption == PhotoCaptionMode::OnPicture) {
        const int bottom = shown.bottom - int(shown.height() * 0.025);
        return {PixelRect{cell.left, cell.top, cell.right, bottom}, 2};
    }
    const int top = shown.height() > 0 ? shown.bottom + int(0.18 * lineHeight) : cell.top;
    return {PixelRect{cell.left, top, cell.right, cell.bottom}, 0};
}

std::u16string_view captionName(std::u16string_view fileName) {
    const std::size_t dot = fileName.rfind(u'.');
    return dot == std::u16string_view::npos ? fileName : fileName.substr(0, dot);
}

PhotoTile makePhotoTile(const std::filesystem::path& file, int width, int height, PhotoCropMode crop) {
    const PixelRect photo{0, 0, width, height};
    PhotoTile tile{QImage(), photo};
    if (photo.isEmpty())
        return tile;
    QSize stored;
    PictureFile picture;
    const bool loaded = picture.loadPictureScaled(file, [&](QSize size) {
        stored = size;
        return fittedSize(size.width(), size.height(), width, height);
    });
    if (!loaded)
        return tile;
    // The fit is taken from the stored size, as if the whole picture had been decoded and stretched.
    tile.shape = cropBounds(centredPhotoRect(stored.width(), stored.height(), photo), crop);
    if (tile.shape.isEmpty())
        return tile;
    QImage image(tile.shape.width(), tile.shape.height(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return tile;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-tile.shape.left, -tile.shape.top);
    if (crop != PhotoCropMode::None) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath ellipse;
        ellipse.addEllipse(QRectF(tile.shape.left, tile.shape.top, tile.shape.width(), tile.shape.height()));
        painter.setClipPath(ellipse);
    }
    drawImageFitted(painter, picture.image(), photo, 1, 1);
    painter.end();
    tile.image = std::move(image);
    return tile;
}

PhotoTile PhotoTileCache::tile(const std::filesystem::path& file, int width, int height, PhotoCropMode crop) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return makePhotoTile(file, width, height, crop); // no file: nothing to decode, nothing to keep
    const FileStamp stamp{std::int64_t(status.st_mtim.tv_sec), std::int64_t(status.st_mtim.tv_nsec),
                          std::int64_t(status.st_size), std::uint64_t(status.st_ino)};

    std::string key = file.native();
    key += '\0';
    key += std::to_string(width) + 'x' + std::to_string(height) + '/' + std::to_string(int(crop));
    if (const auto found = m_index.find(key); found != m_index.end()) {
        const Entries::iterator entry = found->second;
        if (entry->stamp == stamp) {
            m_entries.splice(m_entries.begin(), m_entries, entry);
            return entry->tile;
        }
        m_bytes -= entry->bytes;
        m_index.erase(found);
        m_entries.erase(entry);
    }

    PhotoTile made = makePhotoTile(file, width, height, crop);
    ++m_made;
    const std::size_t bytes = std::size_t(made.image.sizeInBytes()) + key.size() + kEntryOverhead;
    evictBeyond(m_byteLimit > bytes ? m_byteLimit - bytes : 0);
    m_entries.push_front(Entry{key, stamp, made, bytes});
    m_index.emplace(std::move(key), m_entries.begin());
    m_bytes += bytes;
    return made;
}

void PhotoTileCache::evictBeyond(std::size_t limit) {
    while (m_bytes > limit && !m_entries.empty()) {
        m_bytes -= m_entries.back().bytes;
        m_index.erase(m_entries.back().key);
        m_entries.pop_back();
    }
}

void PhotoTileCache::clear() {
    m_index.clear();
    m_entries.clear();
    m_bytes = 0;
}

} // namespace kelvora
