#pragma once
// The scroll area shows one view at a time: the scrolling names or photos of a draw, the replay of the
// winners, or the full list. The screen picks the view from the state, composes the title bands and the info
// bar around it, and hands it the area to draw. A view reads the run and the records and never changes them.

#include <cstdint>

#include "draw/draw_run.h"
#include "records/data_paths.h"
#include "records/prizes.h"
#include "screen/screen_geometry.h"
#include "screen/screen_paint.h"
#include "settings/interface_settings.h"

namespace kelvora {

// What the screen reads; all owned elsewhere. Flags are set by the controller and the views.
struct ScreenInputs {
    const DrawRun* run = nullptr;
    const InterfaceSettings* interface = nullptr;
    const PrizeList* prizes = nullptr;
    const EntrantList* textList = nullptr;
    const EntrantList* pictureList = nullptr;
    const std::int32_t* drawMode = nullptr;     // 0 text, any other value picture
    const std::int32_t* spaceAligned = nullptr; // the text list was imported with space alignment
    const DataPaths* paths = nullptr;           // where the photos of picture mode are; none: no photos
    bool replayViewActive = false;
    bool fullListViewActive = false;
    bool interfaceDialogOpen = false;
    bool playbackDialogOpen = false;
    bool fullListDialogOpen = false;
    bool rehearsal = false; // a rehearsal: the info bar says so
};

// One frame as a view sees it.
struct ViewFrame {
    TextCanvas canvas;        // the frame being composed and the glyph cache
    const BandGeometry& area; // the scroll area: its band and its inner rectangle
    const ScreenInputs& inputs;
    int logicalDpiY;
};

class ScreenView {
public:
    virtual ~ScreenView() = default;
    virtual void paint(const ViewFrame& frame) = 0;
    // Fonts and anything made from them are dropped: the look changed, or the prize (whose font size the
    // scroll area uses).
    virtual void dropFonts() {}
};

enum class ViewKind {
    Idle,        // no draw, or no prize current: only the guides while the interface dialog is open
    TextScroll,  // a draw in text mode
    PhotoScroll, // a draw in picture mode
    Replay,      // the winners rolling after the draw
    FullList,    // every entrant rolling
};

// The roll views win over the draw; a draw shows its mode's view once a prize is current.
ViewKind chooseView(const ScreenInputs& inputs);

// The guides of an empty scroll area, shown while the interface dialog is open.
class IdleView final : public ScreenView {
public:
    void paint(const ViewFrame& frame) override;
};

} // namespace kelvora
