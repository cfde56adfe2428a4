#pragma once
// The replay: the winners of every prize under their headings, or of the one prize chosen, rolling up the
// scroll area like the credits of a film.

#include "screen/roll_view.h"

namespace kelvora {

class ReplayView final : public RollView {
protected:
    std::vector<RollItem> layout(const ScreenInputs& inputs, const RollStyle& style,
                                 const RollMetrics& metrics) const override;
    bool guidesShown(const ScreenInputs& inputs) const override { return inputs.playbackDialogOpen; }
};

} // namespace kelvora
