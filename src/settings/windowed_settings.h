#pragma once
// Whether the draw screen covers the primary screen or sits in a remembered rectangle: the fixed 20-byte
// little-endian image of "窗口化设置.dat". Values read from the file or typed by the operator are corrected
// to fit the primary screen, never refused.

#include <cstddef>
#include <cstdint>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

struct WindowedSettings {
    static constexpr std::size_t kFileBytes = 20;
    static constexpr std::uint64_t kSizeLimitMiB = 1;
    static constexpr std::int32_t kMinWidth = 320;
    static constexpr std::int32_t kMinHeight = 240;
    static constexpr std::int32_t kMaxCoordinate = 60000;

    std::int32_t fullScreen = 1; // nonzero: cover the primary screen; 0: the rectangle below
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 640;
    std::int32_t height = 480;

    friend bool operator==(const WindowedSettings&, const WindowedSettings&) = default;
};

// Fits the rectangle into a primary screen of the given size: minimum 320 x 240 and the origin at or right of
// (0, 0) first, every value at most 60000, then moved (and if need be shrunk) so that it ends inside the
// screen. A window wider than the screen thus ends at x = 0 with the screen's width, even below 320.
// fullScreen is left as it is.
void clampWindowRect(WindowedSettings& settings, int screenWidth, int screenHeight);

// Reads a whole file image: any 20 bytes are accepted and clamped to the screen; any other length fails and
// leaves the record untouched.
bool parseWindowedSettings(ByteReader& in, WindowedSettings& settings, int screenWidth, int screenHeight);
void serializeWindowedSettings(const WindowedSettings& settings, ByteWriter& out);

// Through the settings-file protocol (without its stray-folder steps): succeeds with the file's values or the
// defaults when there was no usable file; after a failure the defaults are in place and the result says why.
FileResult loadWindowedSettings(const DataPaths& paths, WindowedSettings& settings, int screenWidth,
                                int screenHeight);
FileResult saveWindowedSettings(const DataPaths& paths, const WindowedSettings& settings);

} // namespace kelvora
