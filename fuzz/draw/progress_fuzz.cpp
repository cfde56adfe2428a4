// The progress reader over arbitrary bytes: it must refuse or accept, never crash, hang or over-allocate, and
// whatever it accepts must write back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "draw/progress_file.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PrizeList prizes = [] {
        PrizeList list(3);
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].quota = static_cast<std::int32_t>(5 * (i + 1));
            list[i].perDraw = static_cast<std::int32_t>(i + 1);
        }
        return list;
    }();
    const std::span<const std::byte> image(reinterpret_cast<const std::byte*>(data), size);
    DrawProgress progress;
    if (parseProgress(image, prizes, progress)) {
        // Accepted files round-trip except for the bytes the reader forces (terminators, win orders).
        if (serializeProgress(progress).size() != size)
            std::abort();
    }
    return 0;
}
