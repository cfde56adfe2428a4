#pragma once
// The photo tiles of the scroll area in picture mode: where a photo, its crop and its caption stand within a
// grid cell, the tile made from a photo's file, and the cache that keeps made tiles between frames.
//
// A tile is the photo decoded at the size it is shown, cropped with anti-aliased edges into a premultiplied
// image that is transparent outside the crop: drawing it is one blend, with the same pixels as clipping the
// photo on the frame itself. Up to fifty photos are shown sixty times a second, which decoding every frame
// could never keep up with.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "screen/screen_geometry.h"
#include "settings/interface_settings.h"

namespace kelvora {

// Stored values outside the known ones draw as the defaults.
PhotoCaptionMode photoCaptionOf(std::int32_t stored);
PhotoCropMode photoCropOf(std::int32_t stored);

// The photo rectangle of a cell: the whole cell, or with captions outside the photo the cell less one and a
// half caption lines at its bottom (never above the cell's top).
PixelRect photoRectInCell(const PixelRect& cell, PhotoCaptionMode caption, int lineHeight);

// An imageW x imageH photo fitted into the photo rectangle and centred: the margins are trunc(spare * 0.5) on
// either side, so an odd spare leaves the rectangle one pixel wider than the fitted photo.
PixelRect centredPhotoRect(int imageW, int imageH, const PixelRect& photo);

// What the crop keeps of the fitted rectangle: a circle keeps its square middle (the longer side trimmed by
// trunc(difference * 0.5) at both ends); the ellipse and no crop keep it whole.
PixelRect cropBounds(const PixelRect& fitted, PhotoCropMode crop);

// Where a caption goes and how it sits: on the photo it stands just above the photo's lower edge (aligned
// bottom); outside, it starts a little below the photo (aligned top), at the cell's top when the photo has no
// height. shown is the photo as it stands (its crop), or the photo rectangle when there is no photo.
struct CaptionPlace {
    PixelRect rect;
    int vAlign = 0;
};
CaptionPlace captionPlace(const PixelRect& cell, const PixelRect& shown, PhotoCaptionMode caption,
                          int lineHeight);

// A photo's caption: its file name without the extension (from the last "."); a name without one whole.
std::u16string_view captionName(std::u16string_view fileName);

struct PhotoTile {
    // Format_ARGB32_Premultiplied, transparent outside the crop; null when the photo did not load.
    QImage image;
    // Where the photo stands, relative to the photo rectangle's top-left corner: the crop's bounds; the whole
    // photo rectangle when the photo did not load.
    PixelRect shape;
};

// The tile of the photo at file for a width x height photo rectangle, through the validating loader (decoded
// straight at its fitted size). A photo that is missing or fails the loader's checks gives a tile without
// image.
PhotoTile makePhotoTile(const std::filesystem::path& file, int width, int height, PhotoCropMode crop);

// A 1920 x 1080 frame's scroll area holds at most about 8 MiB of tiles, a 4K one 32 MiB, so this keeps the
// tiles of the whole screen many times over; with fifty small tiles a frame it keeps some ten thousand
// photos, the whole pool of a large company's party after its first seconds of scrolling.
inline constexpr std::size_t kPhotoTileCacheBytes = std::size_t(256) << 20;

// One tile size for every cell of a grid: the smallest photo rectangle among the first shown slots. Cells of
// different columns or rows may differ by a pixel; with one size a photo is decoded once for whichever cell
// deals it, and the tiles can be made ahead without knowing the cell. A tile stands centred in its own
// cell's photo rectangle (tileOrigin).
struct TextGrid;
QSize photoTileSize(const TextGrid& grid, int shown, PhotoCaptionMode caption, int lineHeight);
// Where a tile of the given size stands in a photo rectangle: centred, a spare odd pixel to the right or
// below.
QPoint tileOrigin(const PixelRect& photo, QSize tile);

// Made tiles by file, photo rectangle size and crop, least recently used dropped first once the bytes held
// pass the limit. A tile is made again when its file changed (modification time, size or inode): the picture
// folder may be re-imported while a draw shows it.
//
// Shared by the frames and the warmer's thread: every member takes the one lock, held only to look up or
// insert (never while a photo is decoded), so a frame's fifty lookups cost fifty short critical sections.
class PhotoTileCache {
public:
    explicit PhotoTileCache(std::size_t byteLimit = kPhotoTileCacheBytes) : m_byteLimit(byteLimit) {}
    PhotoTileCache(const PhotoTileCache&) = delete;
    PhotoTileCache& operator=(const PhotoTileCache&) = delete;

    // The kept tile, made now when it is not kept (or its file changed). name is the entrant's name the file
    // belongs to, kept with the tile for the caption of a stand-in (pick).
    PhotoTile tile(const std::filesystem::path& file, std::u16string_view name, int width, int height,
                   PhotoCropMode crop);
    // The kept tile without making one; a missing file needs no decoding and gives its empty tile at once.
    std::optional<PhotoTile> find(const std::filesystem::path& file, int width, int height,
                                  PhotoCropMode crop);

    // A kept tile with a picture of the given size and crop, chosen by k among them (the same k picks the
    // same tile while the cache does not change), and the name it was kept for; none when no such tile is
    // kept. Tiles whose file changed are dropped on the way, and those whose name skip accepts passed over.
    struct Kept {
        PhotoTile tile;
        std::u16string name;
    };
    std::optional<Kept> pick(std::size_t k, int width, int height, PhotoCropMode crop,
                             const std::function<bool(std::u16string_view)>& skip = {});

    // Makes and keeps the tile ahead of the frames, but only into free room: tiles made ahead never push
    // another tile out. Full when the tile would not fit without doing so.
    enum class WarmResult { Made, AlreadyKept, NoFile, Full };
    WarmResult warm(const std::filesystem::path& file, std::u16string_view name, int width, int height,
                    PhotoCropMode crop);

    void clear();

    std::size_t byteLimit() const { return m_byteLimit; }
    std::size_t bytes() const;
    std::size_t count() const;
    // Tiles made since the cache was created, by frames and ahead.
    std::size_t made() const;

private:
    struct FileStamp {
        std::int64_t seconds = 0;
        std::int64_t nanoseconds = 0;
        std::int64_t size = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct Entry {
        std::string key;
        std::filesystem::path file;
        FileStamp stamp;
        PhotoTile tile;
        std::u16string name;
        std::size_t bytes = 0;
        int width = 0;
        int height = 0;
        PhotoCropMode crop = PhotoCropMode::Ellipse;
        std::size_t pickSlot = 0; // into m_pickable when the tile has a picture
    };
    using Entries = std::list<Entry>;

    static bool stampOf(const std::filesystem::path& file, FileStamp& stamp);
    static std::string keyOf(const std::filesystem::path& file, int width, int height, PhotoCropMode crop);
    static bool sameShape(const Entry& entry, int width, int height, PhotoCropMode crop) {
        return entry.width == width && entry.height == height && entry.crop == crop;
    }
    static std::size_t bytesOf(const PhotoTile& tile, const std::string& key);
    // With the lock held: the entry for key when its stamp matches (moved to the front), else none (a stale
    // entry is dropped).
    const Entry* lookupLocked(const std::string& key, const FileStamp& stamp);
    void insertLocked(Entry entry);
    void removeLocked(Entries::iterator entry);
    void evictBeyondLocked(std::size_t limit);

    const std::size_t m_byteLimit;
    mutable std::mutex m_mutex;
    std::size_t m_bytes = 0;
    std::size_t m_made = 0;
    Entries m_entries; // most recently used first
    std::unordered_map<std::string, Entries::iterator> m_index;
    std::vector<Entries::iterator> m_pickable; // the entries with a picture, in no particular order
};

} // namespace kelvora
