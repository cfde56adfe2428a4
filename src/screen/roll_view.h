#pragma once
// What the replay and the full list share: a roll of items laid out once when it starts, shifted upward a
// little more on every frame, drawn from the first item that may still show to the first one below the area,
// and started over from the bottom when the last one has left the top.
//
// The roll rises by elapsed time rather than by frames: speed / 100 of the area's height per second, that
// is speed / 100 x height x 0.01 for every 10 ms. A timer tick that comes late (a busy frame, a dialog
// opening) then makes a longer step instead of slowing the roll down, so the credits move at one speed.

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QImage>

#include "screen/photo_tiles.h"
#include "screen/roll_layout.h"
#include "screen/screen_paint.h"
#include "screen/screen_view.h"
#include "settings/playback_settings.h"

class QPainter;

namespace kelvora {

// A roll's own settings, taken when it starts: changing them restarts the roll.
struct RollStyle {
    int namesPerRow = 3;
    int speed = 18;
    Margins margins{};
    FontStyle nameFont = kDefaultRollNameFont;
    std::optional<FontStyle> headingFont; // the replay's headings; the full list has none
    bool namesOnly = false;               // picture mode shows the file names without the photos
    bool reverseOrder = false;            // the replay of all prizes, last drawn first
};

// Where and how large the roll starts.
struct RollPlace {
    PixelRect band; // the scroll band
    int windowWidth = 0;
    int logicalDpiY = 96;
    double aspectRatio = 1.0; // of the picture list's photos
};

// A roll keeps at most this many photos, made at their tile's size, and drops the oldest beyond.
inline constexpr std::size_t kRollPictureLimit = 35;

class RollView : public ScreenView {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    // Makes the fonts, lays the items out and starts from offset 0, not paused. False, and nothing
    // started, when there is nothing to show.
    bool start(const ScreenInputs& inputs, const RollStyle& style, const RollPlace& place);
    // Frees the items, the fonts and the pictures.
    void stop();
    bool active() const { return m_active; }

    void togglePause() { m_paused = !m_paused; }
    bool paused() const { return m_paused; }
    double offset() const { return m_offset; }
    const std::vector<RollItem>& items() const { return m_items; }
    const PixelRect& area() const { return m_area; }
    std::size_t firstVisible() const { return m_first; }
    // The items the last frame drew (their indexes), for tests.
    const std::vector<std::size_t>& lastDrawn() const { return m_lastDrawn; }
    std::size_t cachedPictures() const { return m_pictures.size(); }
    // The size of the line image kept for item index; empty when none is kept.
    QSize lineSize(std::size_t index) const;
    // The per-10-ms step.
    double step() const;

    // For tests: the clock the rise is measured by (the steady clock otherwise).
    void setClock(Clock clock) { m_clock = std::move(clock); }

    void paint(const ViewFrame& frame) override;
    // The look changed: the photos may have another crop. The fonts are the roll's own and stay.
    void dropFonts() override {
        m_pictures.clear();
        m_lines.clear();
    }

protected:
    virtual std::vector<RollItem> layout(const ScreenInputs& inputs, const RollStyle& style,
                                         const RollMetrics& metrics) const = 0;
    virtual bool guidesShown(const ScreenInputs& inputs) const = 0;

private:
    // A text item drawn once, effect and all, onto a transparent line of its own: a frame then blends it
    // in one pass instead of five passes of glyphs, and lays no text out. Kept while the item may show; no
    // wider than the text with its effect, nor than the cell's clip.
    struct Line {
        QImage image; // premultiplied; null when there is nothing to draw
        int x = 0;    // its left edge on the frame
    };

    struct Picture {
        // The file name as it is: the picture folder tells "Li.jpg" and "li.jpg" apart, and so do the
        // entrants.
        std::u16string name;
        PhotoTile tile;
    };

    std::chrono::nanoseconds now() const;
    void drawGuides(const ViewFrame& frame) const;
    void drawText(const ViewFrame& frame, QPainter& painter, std::size_t index, int top);
    Line makeLine(const ViewFrame& frame, const RollItem& item) const;
    void drawTile(const ViewFrame& frame, const RollItem& item, int top, int bottom);
    PixelRect tileBox(const RollItem& item, int top, int bottom, PhotoCaptionMode caption) const;
    void prepareNextRow(const ViewFrame& frame, std::size_t next, int shift);
    bool findPicture(std::u16string_view name) const;
    const PhotoTile& picture(const ScreenInputs& inputs, std::u16string_view name, int width, int height,
                             PhotoCropMode crop);

    bool m_active = false;
    bool m_paused = false;
    bool m_photoMode = false;
    bool m_photoTiles = false;
    RollStyle m_style;
    double m_aspectRatio = 1.0;
    PixelRect m_band;
    PixelRect m_area;
    std::vector<RollItem> m_items;
    double m_offset = 0;
    std::size_t m_first = 0;
    std::optional<ScreenFont> m_nameFont;
    std::optional<ScreenFont> m_headingFont;
    std::list<Picture> m_pictures; // newest first
    std::unordered_map<std::size_t, Line> m_lines;
    std::vector<std::size_t> m_lastDrawn;
    Clock m_clock;
    std::chrono::nanoseconds m_lastFrame{};
};

} // namespace kelvora
