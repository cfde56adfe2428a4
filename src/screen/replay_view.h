#pragma once
// The replay after the last prize: the winners of every prize (or of one) rolling up the scroll area.
// Until its feature is built the view leaves its area as the background shows it.

#include "screen/screen_view.h"

namespace kelvora {

class ReplayView final : public ScreenView {
public:
    void paint(const ViewFrame&) override {}
};

} // namespace kelvora
