#pragma once
// The prizes in draw order, each with its own black and white lists.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/entrant.h"
#include "records/file_result.h"
#include "records/settings_file.h"

namespace kelvora {

inline constexpr int kMaxQuota = 30000;
inline constexpr int kImageFileUnits = 260;

struct PrizeItem {
    char16_t name[kNameUnits]{};
    std::int32_t quota = 1;
    std::int32_t perDraw = 1;
    std::int32_t perLine = 1;
    std::int32_t fontSize = 60;
    char16_t prizeText[kNameUnits]{};
    char16_t imageFile[kImageFileUnits]{};
    EntrantList whiteList; // winOrder: 0 = random place, k = k-th winner of this prize
    EntrantList blackList; // winOrder always 0

    std::u16string_view nameText() const { return fieldText(name); }
};

using PrizeList = std::vector<PrizeItem>;

// Index of the prize whose name equals the given one ignoring case, or -1.
int findPrize(const PrizeList& prizes, std::u16string_view name);

// The prize file "_奖项设置.dat": a count, then per prize its fixed fields followed by its white and black
// lists.
SettingsFileLocation prizeFileLocation(const DataPaths& paths);

// Parses a whole prize file image into prizes (which it replaces). False when a count or a field is out of
// range or the image is short; the caller checks that nothing is left over. Names are not checked here: the
// editor keeps them unique and clean, and a file edited by hand still loads.
bool readPrizeList(ByteReader& in, PrizeList& prizes);
void writePrizeList(ByteWriter& out, const PrizeList& prizes);

// A prize file at or over this size is deleted unread at the next start.
inline constexpr std::uint64_t kPrizeFileBytesLimit = std::uint64_t(8) << 20;
// The size the prize file would have; editors check it before they add to a list.
std::uint64_t prizeFileBytes(const PrizeList& prizes);
// The refusal when prizeFileBytes reaches the limit: which file, its size, the limit, and how much must go.
std::u16string prizeFileTooLargeText(const std::filesystem::path& file, std::uint64_t bytes);

// Reads the prize file; after a failure the list is empty.
FileResult loadPrizes(const DataPaths& paths, PrizeList& prizes);
// Writes the whole list. The caller keeps counts within the limits (256 prizes, 30000 entries per list), or
// the file would not read back. A list whose file would reach kPrizeFileBytesLimit is refused (a TooLarge
// result, whose message is prizeFileTooLargeText) and the file on disk stays as it was.
FileResult savePrizes(const DataPaths& paths, const PrizeList& prizes);

// Empties the white and black lists of every prize and writes the prize file at once; the write's failure is
// the only thing the operator hears of. The lists stay empty in memory even when the write fails.
FileResult clearAllBlackWhiteLists(const DataPaths& paths, PrizeList& prizes);

// The prize picture's full path, or nothing when the prize has none or its stored name would lead outside the
// prize folder.
std::optional<std::filesystem::path> prizeImagePath(const DataPaths& paths, const PrizeItem& prize);

} // namespace kelvora
