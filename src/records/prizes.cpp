#include "records/prizes.h"

#include <string>

#include "platform/text.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

constexpr std::uint64_t kPrizeFileLimitMiB = 8;
static_assert(kPrizeFileBytesLimit == kPrizeFileLimitMiB << 20);
// The fixed part of a prize on disk: name, four numbers, prize text, picture name, and the two list counts.
constexpr std::size_t kPrizeFixedBytes = sizeof(PrizeItem::name) + 4 * sizeof(std::int32_t) +
                                         sizeof(PrizeItem::prizeText) + sizeof(PrizeItem::imageFile) +
                                         2 * sizeof(std::int32_t);
static_assert(kPrizeFixedBytes == 1056);

bool inRange(std::int32_t v, std::int32_t low, std::int32_t high) {
    return v >= low && v <= high;
}

bool readPrize(ByteReader& in, PrizeItem& prize) {
    in.readText(prize.name);
    in.readInt32(prize.quota);
    in.readInt32(prize.perDraw);
    in.readInt32(prize.perLine);
    in.readInt32(prize.fontSize);
    in.readText(prize.prizeText);
    in.readText(prize.imageFile);
    if (!in.ok())
        return false;
    if (!inRange(prize.quota, 1, kMaxQuota) || !inRange(prize.perDraw, 1, kMaxShown) ||
        !inRange(prize.perLine, 1, 5) || prize.quota < prize.perDraw || !inRange(prize.fontSize, 16, 125))
        return false;

    std::size_t count = 0;
    if (!in.readCount(kMaxEntrants, sizeof(Entrant), count) || !in.readEntrantList(prize.whiteList, count))
        return false;
    for (const Entrant& e : prize.whiteList) {
        if (e.winOrder < 0)
            return false;
    }
    if (!in.readCount(kMaxEntrants, sizeof(Entrant), count) || !in.readEntrantList(prize.blackList, count))
        return false;
    for (Entrant& e : prize.blackList)
        e.winOrder = 0;
    return true;
}

} // namespace

int findPrize(const PrizeList& prizes, std::u16string_view name) {
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        if (equalsIgnoreCase(prizes[i].nameText(), name))
            return static_cast<int>(i);
    }
    return -1;
}

SettingsFileLocation prizeFileLocation(const DataPaths& paths) {
    return SettingsFileLocation{paths.prizeFile, paths.settingsFolder, paths.prizeFolder, kPrizeFileLimitMiB,
                                false};
}

bool readPrizeList(ByteReader& in, PrizeList& prizes) {
    prizes.clear();
    std::size_t count = 0;
    if (!in.readCount(kMaxPrizes, kPrizeFixedBytes, count))
        return false;
    prizes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        PrizeItem prize;
        if (!readPrize(in, prize))
            return false;
        prizes.push_back(std::move(prize));
    }
    return true;
}

std::uint64_t prizeFileBytes(const PrizeList& prizes) {
    std::uint64_t size = sizeof(std::int32_t);
    for (const PrizeItem& p : prizes)
        size += kPrizeFixedBytes + sizeof(Entrant) * (std::uint64_t(p.whiteList.size()) + p.blackList.size());
    return size;
}

std::u16string prizeFileTooLargeText(const std::filesystem::path& file, std::uint64_t bytes) {
    const std::uint64_t excess = bytes - kPrizeFileBytesLimit + 1;
    const std::uint64_t entrants = (excess + sizeof(Entrant) - 1) / sizeof(Entrant);
    return formatText(u"写文件失败:\n%s\n\n黑白名单太大：奖项设置文件将有 %s 字节，"
                      u"必须小于 8 MiB（%s 字节）。\n请从黑白名单中至少删除 %s 人（%s 字节）。",
                      {pathText(file), decimalText(bytes), decimalText(kPrizeFileBytesLimit),
                       decimalText(entrants), decimalText(excess)});
}

void writePrizeList(ByteWriter& out, const PrizeList& prizes) {
    out.reserve(out.bytes().size() + static_cast<std::size_t>(prizeFileBytes(prizes)));

    out.writeInt32(static_cast<std::int32_t>(prizes.size()));
    for (const PrizeItem& p : prizes) {
        out.writeText(p.name);
        out.writeInt32(p.quota);
        out.writeInt32(p.perDraw);
        out.writeInt32(p.perLine);
        out.writeInt32(p.fontSize);
        out.writeText(p.prizeText);
        out.writeText(p.imageFile);
        out.writeInt32(static_cast<std::int32_t>(p.whiteList.size()));
        out.writeEntrants(p.whiteList);
        out.writeInt32(static_cast<std::int32_t>(p.blackList.size()));
        out.writeEntrants(p.blackList);
    }
}

FileResult loadPrizes(const DataPaths& paths, PrizeList& prizes) {
    return loadSettingsFile(
        prizeFileLocation(paths), [&] { prizes.clear(); },
        [&](ByteReader& in) { return readPrizeList(in, prizes); });
}

FileResult savePrizes(const DataPaths& paths, const PrizeList& prizes) {
    // The reader deletes a prize file at or over its limit without a word, so writing one would lose every
    // prize and list at the next start. Refuse before anything on disk changes.
    if (const std::uint64_t bytes = prizeFileBytes(prizes); bytes >= kPrizeFileBytesLimit)
        return FileResult::tooLarge(paths.prizeFile, bytes);
    return saveSettingsFile(prizeFileLocation(paths), [&](ByteWriter& out) { writePrizeList(out, prizes); });
}

FileResult clearAllBlackWhiteLists(const DataPaths& paths, PrizeList& prizes) {
    for (PrizeItem& p : prizes) {
        p.whiteList.clear();
        p.blackList.clear();
    }
    return savePrizes(paths, prizes);
}

std::optional<std::filesystem::path> prizeImagePath(const DataPaths& paths, const PrizeItem& prize) {
    return joinChecked(paths.prizeFolder, fieldText(prize.imageFile));
}

} // namespace kelvora
