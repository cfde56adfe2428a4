#pragma once
// The full list: every entry of the name list in use (the text list, or the picture list in picture mode)
// rolling up the scroll area, whether a draw has started or not.

#include "screen/roll_view.h"

namespace kelvora {

class FullListView final : public RollView {
protected:
    std::vector<RollItem> layout(const ScreenInputs& inputs, const RollStyle& style,
                                 const RollMetrics& metrics) const override;
    bool guidesShown(const ScreenInputs& inputs) const override { return inputs.fullListDialogOpen; }
};

} // namespace kelvora
