#include "screen/photo_tiles.h"

#include <QPainter>
#include <QPainterPath>

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <limits>

#include "image/picture_file.h"
#include "screen/photo_paint.h"
#include "screen/text_scroll_area.h"

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

QSize photoTileSize(const TextGrid& grid, int shown, PhotoCaptionMode caption, int lineHeight) {
    if (shown <= 0)
        return {};
    int width = std::numeric_limits<int>::max();
    int height = std::numeric_limits<int>::max();
    for (int i = 0; i < shown; ++i) {
        const PixelRect photo = photoRectInCell(grid.slotRect(i), caption, lineHeight);
        width = std::min(width, photo.width());
        height = std::min(height, photo.height());
    }
    return QSize(std::max(width, 0), std::max(height, 0));
}

QPoint tileOrigin(const PixelRect& photo, QSize tile) {
    return QPoint(photo.left + (photo.width() - tile.width()) / 2,
                  photo.top + (photo.height() - tile.height()) / 2);
}

bool PhotoTileCache::stampOf(const std::filesystem::path& file, FileStamp& stamp) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    stamp = FileStamp{std::int64_t(status.st_mtim.tv_sec), std::int64_t(status.st_mtim.tv_nsec),
                      std::int64_t(status.st_size), std::uint64_t(status.st_ino)};
    return true;
}

std::string PhotoTileCache::keyOf(const std::filesystem::path& file, int width, int height,
                                  PhotoCropMode crop) {
    std::string key = file.native();
    key += '\0';
    key += std::to_string(width) + 'x' + std::to_string(height) + '/' + std::to_string(int(crop));
    return key;
}

std::size_t PhotoTileCache::bytesOf(const PhotoTile& tile, const std::string& key) {
    return std::size_t(tile.image.sizeInBytes()) + key.size() + kEntryOverhead;
}

const PhotoTileCache::Entry* PhotoTileCache::lookupLocked(const std::string& key, const FileStamp& stamp) {
    const auto found = m_index.find(key);
    if (found == m_index.end())
        return nullptr;
    const Entries::iterator entry = found->second;
    if (!(entry->stamp == stamp)) {
        removeLocked(entry);
        return nullptr;
    }
    m_entries.splice(m_entries.begin(), m_entries, entry);
    return &*entry;
}

void PhotoTileCache::insertLocked(Entry entry) {
    // Another thread may have made the same tile meanwhile: the newer one stays.
    if (const auto found = m_index.find(entry.key); found != m_index.end())
        removeLocked(found->second);
    m_bytes += entry.bytes;
    const bool pickable = !entry.tile.image.isNull();
    m_entries.push_front(std::move(entry));
    const Entries::iterator at = m_entries.begin();
    m_index.emplace(at->key, at);
    if (pickable) {
        at->pickSlot = m_pickable.size();
        m_pickable.push_back(at);
    }
}

void PhotoTileCache::removeLocked(Entries::iterator entry) {
    m_bytes -= entry->bytes;
    if (!entry->tile.image.isNull()) {
        // The last pickable entry takes the removed one's place.
        const Entries::iterator last = m_pickable.back();
        m_pickable[entry->pickSlot] = last;
        last->pickSlot = entry->pickSlot;
        m_pickable.pop_back();
    }
    m_index.erase(entry->key);
    m_entries.erase(entry);
}

void PhotoTileCache::evictBeyondLocked(std::size_t limit) {
    while (m_bytes > limit && !m_entries.empty())
        removeLocked(std::prev(m_entries.end()));
}

PhotoTile PhotoTileCache::tile(const std::filesystem::path& file, std::u16string_view name, int width,
                               int height, PhotoCropMode crop) {
    FileStamp stamp;
    if (!stampOf(file, stamp))
        return makePhotoTile(file, width, height, crop); // no file: nothing to decode, nothing to keep
    std::string key = keyOf(file, width, height, crop);
    {
        const std::lock_guard lock(m_mutex);
        if (const Entry* kept = lookupLocked(key, stamp))
            return kept->tile;
    }
    PhotoTile made = makePhotoTile(file, width, height, crop);
    const std::size_t bytes = bytesOf(made, key);
    const std::lock_guard lock(m_mutex);
    ++m_made;
    evictBeyondLocked(m_byteLimit > bytes ? m_byteLimit - bytes : 0);
    insertLocked(
        Entry{std::move(key), file, stamp, made, std::u16string(name), bytes, width, height, crop, 0});
    return made;
}

std::optional<PhotoTile> PhotoTileCache::find(const std::filesystem::path& file, int width, int height,
                                              PhotoCropMode crop) {
    FileStamp stamp;
    if (!stampOf(file, stamp))
        return PhotoTile{QImage(), PixelRect{0, 0, width, height}};
    const std::string key = keyOf(file, width, height, crop);
    const std::lock_guard lock(m_mutex);
    if (const Entry* kept = lookupLocked(key, stamp))
        return kept->tile;
    return std::nullopt;
}

std::optional<PhotoTileCache::Kept>
PhotoTileCache::pick(std::size_t k, int width, int height, PhotoCropMode crop,
                     const std::function<bool(std::u16string_view)>& skip) {
    const std::lock_guard lock(m_mutex);
    // One size and crop is kept at a time in practice; a few steps past others are enough.
    constexpr std::size_t kSteps = 64;
    for (std::size_t step = 0; step < kSteps && !m_pickable.empty(); ++step) {
        const Entries::iterator entry = m_pickable[(k + step) % m_pickable.size()];
        if (!sameShape(*entry, width, height, crop) || (skip && skip(entry->name)))
            continue;
        FileStamp stamp;
        if (!stampOf(entry->file, stamp) || !(stamp == entry->stamp)) {
            removeLocked(entry); // its file changed: the tile shows nobody now
            continue;
        }
        return Kept{entry->tile, entry->name};
    }
    return std::nullopt;
}

PhotoTileCache::WarmResult PhotoTileCache::warm(const std::filesystem::path& file, std::u16string_view name,
                                                int width, int height, PhotoCropMode crop) {
    FileStamp stamp;
    if (!stampOf(file, stamp))
        return WarmResult::NoFile;
    std::string key = keyOf(file, width, height, crop);
    {
        const std::lock_guard lock(m_mutex);
        if (lookupLocked(key, stamp))
            return WarmResult::AlreadyKept;
        // A tile is at most its rectangle: no photo is decoded that could not be kept.
        const std::size_t most = std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)) * 4 +
                                 key.size() + kEntryOverhead;
        // Tiles of another size or crop (an earlier press's grid) make room; tiles of this one never do.
        while (m_bytes + most > m_byteLimit && !m_entries.empty() &&
               !sameShape(m_entries.back(), width, height, crop))
            removeLocked(std::prev(m_entries.end()));
        if (m_bytes + most > m_byteLimit)
            return WarmResult::Full;
    }
    PhotoTile made = makePhotoTile(file, width, height, crop);
    const std::size_t bytes = bytesOf(made, key);
    const std::lock_guard lock(m_mutex);
    ++m_made;
    if (m_bytes + bytes > m_byteLimit)
        return WarmResult::Full; // the frames filled the room meanwhile
    insertLocked(Entry{std::move(key), file, stamp, std::move(made), std::u16string(name), bytes, width,
                       height, crop, 0});
    return WarmResult::Made;
}

void PhotoTileCache::clear() {
    const std::lock_guard lock(m_mutex);
    m_pickable.clear();
    m_index.clear();
    m_entries.clear();
    m_bytes = 0;
}

std::size_t PhotoTileCache::bytes() const {
    const std::lock_guard lock(m_mutex);
    return m_bytes;
}

std::size_t PhotoTileCache::count() const {
    const std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::size_t PhotoTileCache::made() const {
    const std::lock_guard lock(m_mutex);
    return m_made;
}

} // namespace kelvora
