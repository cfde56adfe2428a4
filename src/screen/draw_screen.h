#pragma once
// The draw screen's composition: a cached background layer (stretched background picture or the red fill,
// plus the floating prize picture) and the frame composed over it with the three text bands and the scroll
// area. The main window only shows the frame; everything here runs without a window and is tested headless.

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>

#include "draw/draw_run.h"
#include "image/picture_file.h"
#include "records/data_paths.h"
#include "records/prizes.h"
#include "screen/screen_geometry.h"
#include "screen/screen_view.h"
#include "settings/interface_settings.h"

namespace kelvora {

class FullListView;
class PhotoScrollView;
class ReplayView;

class DrawScreen {
public:
    explicit DrawScreen(const ScreenInputs& inputs);
    ~DrawScreen();

    ScreenInputs& inputs();

    // resizeScreenBuffers: new buffers of the client size (none for an empty size) and a rebuilt background.
    // logicalDpiY sizes fonts as MulDiv(points, logicalDpiY, 72) pixels.
    void resize(int width, int height, int logicalDpiY);
    int width() const;
    int height() const;
    int logicalDpiY() const;

    // The pictures the screen shows; after changing one, call rebuildBackground().
    PictureFile& backgroundPicture();
    PictureFile& prizePicture();

    void rebuildBackground();
    // repaintScreen's composition: the whole frame from the background layer. The image stays valid until
    // the next call or resize; it is null while the size is empty.
    const QImage& composeFrame();
    // The frame as last composed, without composing; null before the first.
    const QImage& frame() const;

    // Cached fonts and rendered text are dropped: all of them after the interface settings change, the scroll
    // area's after a change of prize (its size follows the prize).
    void dropFonts();
    void dropScrollFont();

    // The glyphs of the pool's names in the current prize's scroll font are rendered ahead on a thread of
    // their own, so that the first frames of a press cost what later ones do. This starts when the prize
    // changes (dropScrollFont) and when a frame first shows a prize (a draw resumed at start-up, new
    // settings); prepareGlyphs() starts it over for the pool as it is now, and stops it when no text prize
    // is current. Frames never wait for it.
    void prepareGlyphs();
    bool glyphsReady() const;
    // For benchmarks and tests, which measure or check the frames after the preparation.
    void waitForGlyphs();

    // The same for the photo tiles of picture mode: made ahead for the press to come, from the same moments
    // (dropScrollFont, a frame's first sight of a prize, and whenever the next press's grid changes size).
    void preparePhotos();
    bool photosReady() const;
    void waitForPhotos();
    // The picture-mode view, for benchmarks and tests (its decode budget, what its last frame drew).
    PhotoScrollView& photoView();
    // The two rolls, which the show starts and stops.
    ReplayView& replayView();
    FullListView& fullListView();

    BandGeometry computeBand(Band band) const;
    // The info bar's text for the current state (prize, progress, prize text, prompt; replay and full list).
    std::u16string infoBarText() const;

    // The background layer as last rebuilt (null while the size is empty).
    const QImage& backgroundLayer() const;
    // Where the floating prize picture stands in the background layer; empty when it is not shown (no draw
    // started, a replay or full-list view, no valid picture, or a column of 0 %).
    PixelRect prizePictureArea() const;
    // Memory held by rendered glyphs; bounded by the glyph cache's limit.
    std::size_t glyphCacheBytes() const;
    // Memory held by the photo tiles of picture mode (bounded by the tile cache's limit, dropped with the
    // fonts), and how many tiles were made since the screen was created.
    std::size_t photoTileBytes() const;
    std::size_t photoTilesMade() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The background picture named by the settings, from the interface folder, shrunk to fit within 3200 pixels
// when a side is longer. No name: no picture and no warning. On failure the picture is empty and warning
// holds "背景图加载失败:\n", the full path, "\n\n" and the loader's reason; true when a named picture loaded
// or none was named.
bool loadBackgroundPicture(const DataPaths& paths, const InterfaceSettings& settings, PictureFile& picture,
                           std::u16string& warning);

// The prize's picture from the prize folder, shrunk to fit within 1800 pixels when a side is longer; the same
// contract with "奖品图加载失败:\n".
bool loadPrizePictureFor(const DataPaths& paths, const PrizeItem& prize, PictureFile& picture,
                         std::u16string& warning);

} // namespace kelvora
