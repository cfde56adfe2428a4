#include "screen/screen_view.h"

#include <QPainter>

#include "records/draw_mode.h"

namespace kelvora {

ViewKind chooseView(const ScreenInputs& inputs) {
    if (inputs.fullListViewActive)
        return ViewKind::FullList;
    if (inputs.replayViewActive)
        return ViewKind::Replay;
    if (!inputs.run || !inputs.run->drawStarted())
        return ViewKind::Idle;
    if (!inputs.run->currentPrize())
        return ViewKind::Idle;
    return inputs.drawMode && !isTextMode(*inputs.drawMode) ? ViewKind::PhotoScroll : ViewKind::TextScroll;
}

void IdleView::paint(const ViewFrame& frame) {
    if (!frame.inputs.interfaceDialogOpen)
        return;
    const BandGeometry& area = frame.area;
    QPainter painter(&frame.canvas.image);
    drawRectOutline(painter, false, 0, area.band.top, frame.canvas.image.width(), area.band.bottom);
    drawRectOutline(painter, true, area.inner.left, area.inner.top, area.inner.right, area.inner.bottom);
}

} // namespace kelvora
