#pragma once
// Where this computer keeps its live mirror ("备用位置"): "备用位置.dat" in the settings folder, read and
// written through the settings-file protocol like every other record. It belongs to the computer, not to the
// event: neither a package nor the mirror carries it, so a standby computer started from the mirror does not
// mirror onto itself.
//
// 2052 bytes, little-endian: int32 on (0, 1), then the folder as 1024 UTF-16 units, zero-terminated.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

struct StandbySettings {
    static constexpr std::size_t kFolderUnits = 1024;
    static constexpr std::size_t kFileBytes = 4 + kFolderUnits * 2;

    std::int32_t mirrorOn = 0;
    char16_t mirrorFolder[kFolderUnits] = {};

    std::filesystem::path folder() const;
    // False when the folder's text does not fit the field (the record is left as it was).
    bool setFolder(const std::filesystem::path& folder);
};

bool parseStandbySettings(ByteReader& in, StandbySettings& settings);
void serializeStandbySettings(const StandbySettings& settings, ByteWriter& out);

FileResult loadStandbySettings(const DataPaths& paths, StandbySettings& settings);
FileResult saveStandbySettings(const DataPaths& paths, const StandbySettings& settings);

} // namespace kelvora
