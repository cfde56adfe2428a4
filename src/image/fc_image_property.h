#pragma once
// What a codec reads from a file besides its pixels, and what it is given to write back.

#include <string>
#include <utility>
#include <vector>

namespace kelvora {

class FCImageProperty {
public:
    virtual ~FCImageProperty() = default;

    // Saving: the JPEG quality 0..100, -1 for the default of 90. For an 8-bit image saved as GIF the palette
    // entry with this index is written fully transparent (so -1 makes none transparent).
    int quality = -1;
    // Loading: the display time of each decoded frame in milliseconds (GIF only; a frame without a delay
    // counts as 100 ms).
    std::vector<int> frameDelays;
    // Text entries (key, value) such as PNG text chunks; read on load and written back on save where the
    // format can hold them.
    std::vector<std::pair<std::u16string, std::u16string>> texts;
};

} // namespace kelvora
