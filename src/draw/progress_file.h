#pragma once
// The progress file: the whole draw state written after every stop and forfeit, and read back at start-up so
// an interrupted draw goes on exactly where its last stop left it.

#include <string>

#include "draw/draw_progress.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "records/prizes.h"

namespace kelvora {

class DrawRun;

inline constexpr std::uint64_t kProgressSizeLimit = 64ull * 1024 * 1024;

// The file image of a progress record.
std::vector<std::byte> serializeProgress(const DrawProgress& progress);

// Writes the record through the progress file's ".tmp" beside it. Returns false with the operator's message
// in errorText; the previous file is then unchanged.
bool saveProgress(const DataPaths& paths, const DrawProgress& progress, std::u16string& errorText);

enum class ProgressLoad { Failed = -1, Nothing = 0, Resumed = 1 };

// Parses a file image against the prize list; on success fills progress. Pure: no disk, no messages.
bool parseProgress(std::span<const std::byte> image, const PrizeList& prizes, DrawProgress& progress);

// Resumes the draw saved in the progress file (or its ".tmp" when only that survived). Resumed: run holds the
// saved state and drawStarted is set. Nothing: no file or an empty one. Failed: the reason was shown.
ProgressLoad loadProgress(const DataPaths& paths, const PrizeList& prizes, DrawRun& run, MessageBox& messages,
                          OwnerWindow owner);

} // namespace kelvora
