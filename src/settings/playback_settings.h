#pragma once
// The two records that shape the rolling views: PlaybackSettings for the replay of the results
// ("回放设置.dat", 208 bytes) and FullListSettings for the show of the whole name list ("展示总名单设置.dat",
// 116 bytes). Both are fixed little-endian images and share FontStyle and Margins with the interface
// settings.

#include <cstddef>
#include <cstdint>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"
#include "settings/interface_settings.h"

namespace kelvora {

// Ranges shared by both views' rows and roll speed.
inline constexpr std::int32_t kMinRollNamesPerRow = 1;
inline constexpr std::int32_t kMaxRollNamesPerRow = 5;
inline constexpr std::int32_t kMinRollSpeed = 2;
inline constexpr std::int32_t kMaxRollSpeed = 50;

inline constexpr FontStyle kDefaultRollNameFont =
    makeFontStyle(u"楷体", 18, true, TextEffect::Outline, kColorGrey, kColorLightYellow);

struct PlaybackSettings {
    static constexpr std::size_t kFileBytes = 208;
    static constexpr std::uint64_t kSizeLimitMiB = 2;

    std::int32_t reverseOrder = 0; // nonzero: prizes replayed last drawn first
    std::int32_t namesPerRow = 3;
    std::int32_t speed = 18;
    Margins margins{5, 6, 5, 12};
    FontStyle headingFont =
        makeFontStyle(u"楷体", 24, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    FontStyle nameFont = kDefaultRollNameFont;
    std::int32_t namesOnly = 0; // 1: in picture mode replay only the picture file names

    friend bool operator==(const PlaybackSettings&, const PlaybackSettings&) = default;
};

struct FullListSettings {
    static constexpr std::size_t kFileBytes = 116;
    static constexpr std::uint64_t kSizeLimitMiB = 2;

    std::int32_t namesPerRow = 3;
    std::int32_t speed = 18;
    Margins margins{5, 6, 5, 12};
    FontStyle nameFont = kDefaultRollNameFont;
    std::int32_t namesOnly = 0; // 1: in picture mode show only the picture file names

    friend bool operator==(const FullListSettings&, const FullListSettings&) = default;
};

// Read a whole file image into a scratch copy that replaces the record only when every check passed and every
// byte was consumed; on failure the record is left untouched. The flags are taken as stored.
bool parsePlaybackSettings(ByteReader& in, PlaybackSettings& settings);
bool parseFullListSettings(ByteReader& in, FullListSettings& settings);
void serializePlaybackSettings(const PlaybackSettings& settings, ByteWriter& out);
void serializeFullListSettings(const FullListSettings& settings, ByteWriter& out);

// Through the settings-file protocol: succeeds with the file's values or the defaults when there was no
// usable file; after a failure the defaults are in place and the result says why.
FileResult loadPlaybackSettings(const DataPaths& paths, PlaybackSettings& settings);
FileResult savePlaybackSettings(const DataPaths& paths, const PlaybackSettings& settings);
FileResult loadFullListSettings(const DataPaths& paths, FullListSettings& settings);
FileResult saveFullListSettings(const DataPaths& paths, const FullListSettings& settings);

} // namespace kelvora
