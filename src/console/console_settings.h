#pragma once
// The presenter console's own settings, "导播台设置.dat" in the settings folder: whether it opens by itself
// when the draw screen goes onto the projector, where it stood, and which of its panels show. A fixed 24-byte
// little-endian image read and written through the settings-file protocol like every other record.

#include <cstddef>
#include <cstdint>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

// The panels the operator can hide; the state, the prizes and the big button always show.
enum class ConsolePanel : std::int32_t {
    Miniature = 1 << 0, // the copy of the projector's frame
    Winners = 1 << 1,   // the current prize's winners
    Music = 1 << 2,     // the five music slots and the background tracks' buttons
    Keys = 1 << 3,      // the key cheat sheet
};

struct ConsoleSettings {
    static constexpr std::size_t kFileBytes = 24;
    static constexpr std::uint64_t kSizeLimitMiB = 1;
    static constexpr std::int32_t kMinWidth = 640;
    static constexpr std::int32_t kMinHeight = 480;
    static constexpr std::int32_t kMaxCoordinate = 60000;
    static constexpr std::int32_t kAllPanels = 0xF;

    std::int32_t autoOpen = 0; // 1: F12 opens the console as well
    // The window's frame, relative to the top-left corner of the screen it stood on: the console opens on
    // whichever screen the draw screen leaves free, so absolute places would send it onto the projector.
    std::int32_t x = 40;
    std::int32_t y = 40;
    std::int32_t width = 1200;
    std::int32_t height = 760;
    std::int32_t panels = kAllPanels; // ConsolePanel bits

    bool shows(ConsolePanel panel) const { return (panels & static_cast<std::int32_t>(panel)) != 0; }
    void setShown(ConsolePanel panel, bool on);

    friend bool operator==(const ConsoleSettings&, const ConsoleSettings&) = default;
};

// Reads a whole file image. Fails, leaving the record untouched, when the length is not 24 bytes or a value
// is out of its range: the switch 0 or 1, the corner 0..60000, the size 640x480..60000, no unknown panel bit.
bool parseConsoleSettings(ByteReader& in, ConsoleSettings& settings);
void serializeConsoleSettings(const ConsoleSettings& settings, ByteWriter& out);

// Through the settings-file protocol: the file's values or the defaults when there was no usable file; after
// a failure the defaults are in place and the result says why.
FileResult loadConsoleSettings(const DataPaths& paths, ConsoleSettings& settings);
FileResult saveConsoleSettings(const DataPaths& paths, const ConsoleSettings& settings);

} // namespace kelvora
