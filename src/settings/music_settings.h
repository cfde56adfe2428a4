#pragma once
// Which file each of the five music slots plays, whether the scroll and winning music are on, and the one
// volume that all slots share. The record is a fixed 2612-byte little-endian image of "音乐/_音乐设置.dat";
// the names are bare file names inside the music folder.

#include <cstddef>
#include <cstdint>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

struct MusicSettings {
    static constexpr int kFileNameUnits = 260;
    static constexpr std::size_t kFileBytes = 2612;
    static constexpr std::uint64_t kSizeLimitMiB = 2;
    static constexpr std::int32_t kMinVolume = 25;
    static constexpr std::int32_t kMaxVolume = 100;

    std::int32_t scrollMusicOn = 1;
    std::int32_t winMusicOn = 1;
    char16_t scrollMusicFile[kFileNameUnits] = u"滚动1.mp3";
    char16_t winMusicFile[kFileNameUnits] = u"中奖1.mp3";
    char16_t backgroundFile1[kFileNameUnits] = u"颁奖.mp3"; // Ctrl+1 / Tab
    char16_t backgroundFile2[kFileNameUnits] = u"星河传说.mp3";
    char16_t backgroundFile3[kFileNameUnits] = u"Encore une Fois.mp3";
    std::int32_t volume = 80;

    friend bool operator==(const MusicSettings&, const MusicSettings&) = default;
};

// Reads a whole file image. On success (volume in range and every byte consumed) the record is replaced; on
// failure it is left untouched. The switches are taken as stored.
bool parseMusicSettings(ByteReader& in, MusicSettings& settings);
void serializeMusicSettings(const MusicSettings& settings, ByteWriter& out);

// Through the settings-file protocol: succeeds with the file's values or the defaults when there was no
// usable file; after a failure the defaults are in place and the result says why.
FileResult loadMusicSettings(const DataPaths& paths, MusicSettings& settings);
FileResult saveMusicSettings(const DataPaths& paths, const MusicSettings& settings);

} // namespace kelvora
