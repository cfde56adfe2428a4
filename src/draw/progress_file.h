#pragma once
// The progress file: the whole draw state written after every stop and forfeit, and read back at start-up so
// an interrupted draw goes on exactly where its last stop left it.

#include <optional>

#include "draw/draw_progress.h"
#include "records/data_paths.h"
#include "records/file_result.h"
#include "records/prizes.h"

namespace kelvora {

inline constexpr std::uint64_t kProgressSizeLimit = 64ull * 1024 * 1024;

// The file image of a progress record.
std::vector<std::byte> serializeProgress(const DrawProgress& progress);

// Writes the record through the progress file's ".tmp" beside it. After a failure (a SaveProgress result) the
// previous file is unchanged.
FileResult saveProgress(const DataPaths& paths, const DrawProgress& progress);

// Parses a file image against the prize list; on success fills progress. Pure: no disk, no messages.
bool parseProgress(std::span<const std::byte> image, const PrizeList& prizes, DrawProgress& progress);

// Reads the draw saved in the progress file (or its ".tmp" when only that survived) into resumed, for the run
// to take up. Succeeds with resumed empty when there is nothing to resume (no file, or an empty one: an ended
// draw). After a failure resumed is empty and the result says why.
FileResult loadProgress(const DataPaths& paths, const PrizeList& prizes,
                        std::optional<DrawProgress>& resumed);

} // namespace kelvora
