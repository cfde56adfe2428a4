#pragma once
// The scroll area of a draw in picture mode: the photos of the press, fitted and cropped in the prize's grid.
// Until its feature is built the view leaves its area as the background shows it.

#include "screen/screen_view.h"

namespace kelvora {

class PhotoScrollView final : public ScreenView {
public:
    void paint(const ViewFrame&) override {}
};

} // namespace kelvora
