#pragma once
// The list of photo entrants drawn in picture mode: file names of pictures in the picture folder, and the
// shape that summarises them.

#include <filesystem>
#include <optional>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/entrant.h"
#include "records/file_result.h"
#include "records/settings_file.h"

namespace kelvora {

inline constexpr double kMinAspectRatio = 0.5;
inline constexpr double kMaxAspectRatio = 2.0;
inline constexpr double kDefaultAspectRatio = 1.5;

struct PictureNameList {
    EntrantList entries; // at most 30000; name = a picture's file name in the picture folder; winOrder 0
    double aspectRatio = kDefaultAspectRatio; // width over height of the imported photos, 0.5..2.0
};

// "_图片名单.dat" inside the picture folder: aspectRatio, a count, the entries.
SettingsFileLocation pictureListFileLocation(const DataPaths& paths);

// Parses a whole file image into list (which it replaces). Besides counts and the ratio, every name must be a
// plain file name: each becomes a path in the picture folder, so one holding "/" or naming "." or ".." could
// point anywhere on the disk.
bool readPictureNameList(ByteReader& in, PictureNameList& list);
void writePictureNameList(ByteWriter& out, const PictureNameList& list);

FileResult loadPictureNameList(const DataPaths& paths, PictureNameList& list);
// The caller keeps the list within 30000 entries and the ratio within range, or the file would not read back.
FileResult savePictureNameList(const DataPaths& paths, const PictureNameList& list);

// The photo's full path in the picture folder, or nothing for a name that would lead outside it.
std::optional<std::filesystem::path> picturePath(const DataPaths& paths, const Entrant& entrant);

} // namespace kelvora
