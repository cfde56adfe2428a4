#pragma once
// The full list: every entrant of the draw's name list rolling up the scroll area.
// Until its feature is built the view leaves its area as the background shows it.

#include "screen/screen_view.h"

namespace kelvora {

class FullListView final : public ScreenView {
public:
    void paint(const ViewFrame&) override {}
};

} // namespace kelvora
