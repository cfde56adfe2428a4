#pragma once
// The scroll area of a draw in picture mode: the photos of the press in the prize's grid, fitted into their
// cells, cropped to an ellipse, a circle or not at all, with their names as captions on the photo, below it
// or not at all.
//
// Every photo of a grid is made at one tile size, the grid's smallest photo rectangle, and centred in its own
// cell (cells of different columns may differ by a pixel; one size means one decode per photo for any cell).
// The tiles are kept between frames (PhotoTileCache), made ahead by a worker (PhotoWarmer) as soon as a
// prize is current, and dropped with the fonts, when the prize or the look changes.
//
// The decode budget: a scrolling frame decodes the photos it finds not kept only while its photos have taken
// less than the budget; a slot left over shows a kept tile instead, with that tile's own caption, so a face
// and a name always belong together. The scroll is a blur of faces that no one can follow at thirty frames a
// second, and a late frame is what the hall sees; the frames of every other state (above all the stopped
// press, the winners) show exactly their slots' photos however long the decoding takes. The slots dealt
// stay as they are: only the drawing stands in, and only with someone the press can still draw. The cache
// keeps the winners of earlier presses too; a winner's face flashing by again would make the hall doubt the
// draw. Names are matched exactly: "Wang.jpg" and "wang.jpg" are two people with two photos.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "screen/photo_tiles.h"
#include "screen/photo_warmer.h"
#include "screen/screen_paint.h"
#include "screen/screen_view.h"

namespace kelvora {

inline constexpr std::chrono::nanoseconds kPhotoDecodeBudget = std::chrono::milliseconds(12);

class PhotoScrollView final : public ScreenView {
public:
    PhotoScrollView();

    void paint(const ViewFrame& frame) override;
    // Stops making tiles ahead; forgets the font and every kept tile.
    void dropFonts() override;

    // A prize became current (or the look changed): starts making the tiles of the pool for the press to
    // come; stops when no prize of a picture-mode draw is current.
    void prepare(const ScreenInputs& inputs, const BandGeometry& area, int logicalDpiY);

    // For benchmarks and tests: whether tiles are made ahead at all (stopping a job running when not).
    void setWarming(bool on);
    // For tests: the budget of a scrolling frame and the clock it is measured by.
    using Clock = std::function<std::chrono::nanoseconds()>;
    void setDecodeBudget(std::chrono::nanoseconds budget, Clock clock = {});

    // What the last frame drew in each shown slot: the name of the photo shown (empty: none), the name its
    // caption was made from (empty: none), and whether they stood in for the slot's own.
    struct DrawnSlot {
        std::u16string photo;
        std::u16string caption;
        bool standIn = false;
    };
    const std::vector<DrawnSlot>& lastFrame() const { return m_lastFrame; }

    const PhotoTileCache& tiles() const { return m_tiles; }
    const PhotoWarmer& warmer() const { return m_warmer; }
    PhotoWarmer& warmer() { return m_warmer; }

private:
    struct WarmKey {
        int width = 0;
        int height = 0;
        PhotoCropMode crop = PhotoCropMode::Ellipse;
        friend bool operator==(const WarmKey&, const WarmKey&) = default;
    };
    void makeFont(const ScreenInputs& inputs, const PrizeItem& prize, int logicalDpiY);
    // Starts the warmer on the tiles of the press to come (or the one scrolling) unless it works on them.
    void warmFor(const ScreenInputs& inputs, const BandGeometry& area);

    // The names in the scroll deck of the press, made again only when the deck changes: a frame looks a
    // stand-in up without walking the deck or allocating.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view name) const {
            return std::hash<std::u16string_view>{}(name);
        }
    };
    using NameSet = std::unordered_set<std::u16string, NameHash, std::equal_to<>>;
    const NameSet& deckNames(const DrawRun& run);

    std::optional<ScreenFont> m_font;
    int m_lineHeight = 0; // of a caption line in m_font
    PhotoTileCache m_tiles;
    PhotoWarmer m_warmer{m_tiles}; // after the cache: stops before it goes
    std::optional<WarmKey> m_warmKey;
    bool m_warming = true;
    std::chrono::nanoseconds m_budget = kPhotoDecodeBudget;
    Clock m_clock;
    std::uint64_t m_scrollFrames = 0;
    std::vector<DrawnSlot> m_lastFrame;
    NameSet m_deckNames;
    const DrawRun* m_deckRun = nullptr;
    std::uint64_t m_deckGeneration = 0;
};

} // namespace kelvora
