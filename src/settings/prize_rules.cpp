#include "settings/prize_rules.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/text.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

using Outcome = PrizeActionCheck::Outcome;

constexpr std::u16string_view kMoveDuringDrawText = u"抽奖中...\n只能移动还未开始抽的奖项";

PrizeActionCheck ignored() {
    return {Outcome::Ignored, {}, MessageIcon::Warning};
}
PrizeActionCheck refused(std::u16string_view text, MessageIcon icon = MessageIcon::Warning) {
    return {Outcome::Refused, text, icon};
}

// The characters a file name may not hold: the winners export names a file after the prize.
bool hasIllegalNameCharacter(std::u16string_view name) {
    return name.find_first_of(u"\\/:*?\"<>|") != std::u16string_view::npos;
}

std::int32_t clampTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::clamp(value, low, high);
}

} // namespace

PrizeActionCheck checkPrizeAction(PrizeAction action, const std::vector<int>& selectedRows, int prizeCount,
                                  const PrizeDrawState& draw) {
    const bool any = !selectedRows.empty();
    const int first = any ? selectedRows.front() : -1;
    const int c = draw.currentPrize;
    switch (action) {
    case PrizeAction::Modify:
        if (!any)
            return refused(u"请先选中要修改的奖项", MessageIcon::Information);
        if (draw.drawStarted && first < c)
            return refused(u"抽奖中...\n只能修改还未抽或正在抽的奖项");
        break;
    case PrizeAction::Delete:
        if (!any)
            return refused(u"请先选中要删除的奖项", MessageIcon::Information);
        if (draw.drawStarted && first <= c)
            return refused(u"抽奖中...\n只能删除还未开始抽的奖项");
        break;
    case PrizeAction::MoveUp:
        if (!any || first == 0)
            return ignored();
        if (draw.drawStarted && first - 1 <= c)
            return refused(kMoveDuringDrawText);
        break;
    case PrizeAction::MoveDown:
        if (!any || selectedRows.back() >= prizeCount - 1)
            return ignored();
        if (draw.drawStarted && first <= c)
            return refused(kMoveDuringDrawText);
        break;
    case PrizeAction::Reverse:
        if (prizeCount < 2)
            return ignored();
        if (draw.drawStarted)
            return refused(u"抽奖结束后才可反序");
        break;
    case PrizeAction::Clear:
        if (prizeCount < 1)
            return ignored();
        if (draw.drawStarted)
            return refused(u"抽奖结束后才可清空");
        break;
    case PrizeAction::Import:
        if (draw.drawStarted)
            return refused(u"抽奖结束后才可从表格导入");
        break;
    }
    return {};
}

std::vector<int> movePrizesUp(PrizeList& prizes, const std::vector<int>& selectedRows) {
    std::vector<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty() || rows.front() <= 0 || rows.back() >= static_cast<int>(prizes.size()))
        return rows;
    for (int& row : rows) {
        std::swap(prizes[static_cast<std::size_t>(row)], prizes[static_cast<std::size_t>(row - 1)]);
        --row;
    }
    return rows;
}

std::vector<int> movePrizesDown(PrizeList& prizes, const std::vector<int>& selectedRows) {
    std::vector<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty() || rows.front() < 0 || rows.back() >= static_cast<int>(prizes.size()) - 1)
        return rows;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        std::swap(prizes[static_cast<std::size_t>(*it)], prizes[static_cast<std::size_t>(*it + 1)]);
        ++*it;
    }
    return rows;
}

void replacePrizeFields(PrizeList& prizes, int index, PrizeItem fields) {
    if (index < 0 || static_cast<std::size_t>(index) >= prizes.size())
        return;
    PrizeItem& prize = prizes[static_cast<std::size_t>(index)];
    fields.whiteList = std::move(prize.whiteList);
    fields.blackList = std::move(prize.blackList);
    prize = std::move(fields);
}

void removePrizes(PrizeList& prizes, const std::vector<int>& rows) {
    std::vector<bool> doomed(prizes.size(), false);
    for (int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < prizes.size())
            doomed[static_cast<std::size_t>(row)] = true;
    }
    std::size_t i = 0;
    std::erase_if(prizes, [&](const PrizeItem&) { return doomed[i++]; });
}

bool prizeFieldsLocked(int index, const PrizeDrawState& draw) {
    return draw.drawStarted && index == draw.currentPrize;
}

std::optional<std::u16string> addPrizeRefusal(const PrizeList& prizes,
                                              const std::filesystem::path& prizeFile) {
    if (prizes.size() >= static_cast<std::size_t>(kMaxPrizes))
        return std::u16string(u"最多256个奖项");
    // A new prize starts with empty lists: its fixed part is what a list of one empty prize adds to the
    // count.
    static const std::uint64_t newPrizeBytes = prizeFileBytes(PrizeList(1)) - prizeFileBytes(PrizeList{});
    const std::uint64_t bytes = prizeFileBytes(prizes) + newPrizeBytes;
    if (bytes < kPrizeFileBytesLimit)
        return std::nullopt;
    return formatText(u"无法添加奖项:\n%s\n\n奖项设置文件将有 %s 字节，必须小于 8 MiB（%s 字节）。\n"
                      u"请先删减各奖项的黑白名单。",
                      {pathText(prizeFile), decimalText(bytes), decimalText(kPrizeFileBytesLimit)});
}

PrizeEditResult readPrizeFields(const PrizeFields& fields, const PrizeList& prizes, int ownIndex,
                                bool locked) {
    const PrizeItem* own = ownIndex >= 0 && static_cast<std::size_t>(ownIndex) < prizes.size()
                               ? &prizes[std::size_t(ownIndex)]
                               : nullptr;
    if (!own)
        locked = false;

    // The fields hold at most what the record holds: 127 units of name and text, 259 of the picture's name.
    auto cut = [](std::u16string_view text, std::size_t units) { return text.substr(0, units); };
    PrizeItem prize;
    const std::u16string_view name =
        locked ? own->nameText() : trimTypedText(cut(fields.name, kNameUnits - 1));
    setField(prize.name, name);
    setField(prize.prizeText, trimTypedText(cut(fields.prizeText, kNameUnits - 1)));
    // The picture's name is the copied file's, never typed: spaces at its ends are part of the file name.
    setField(prize.imageFile, cut(fields.imageFile, kImageFileUnits - 1));

    prize.quota = locked ? own->quota : clampTo(readNumberField(fields.quota), 1, kMaxQuota);
    prize.perDraw = clampTo(readNumberField(fields.perDraw), 1, kMaxShown);
    prize.perLine = clampTo(readNumberField(fields.perLine), 1, 5);
    if (prize.quota < prize.perDraw)
        prize.perDraw = prize.quota;
    prize.fontSize = clampTo(readNumberField(fields.fontSize), 16, 125);

    // A locked name is the one the draw has used all along; it is kept as it is, even if a hand-edited file
    // gave it a character the editor would refuse.
    if (!locked) {
        if (name.empty())
            return {std::nullopt, u"请输入奖项名称"};
        if (name == u"全部奖项")
            return {std::nullopt, u"不可命名为“全部奖项”"};
        if (hasIllegalNameCharacter(name))
            return {std::nullopt, u"奖项名含非法字符"};
        for (std::size_t i = 0; i < prizes.size(); ++i) {
            if (static_cast<int>(i) != ownIndex && equalsIgnoreCase(prizes[i].nameText(), name))
                return {std::nullopt, u"此奖项已存在"};
        }
    }
    return {std::move(prize), {}};
}

std::filesystem::path prizePictureDestination(const std::filesystem::path& prizeFolder,
                                              const std::filesystem::path& chosen, const PrizeList& prizes) {
    const std::filesystem::path wanted = prizeFolder / chosen.filename();
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(wanted, ec)) ||
        std::filesystem::equivalent(chosen, wanted, ec))
        return wanted;
    const std::u16string name = pathText(chosen.filename());
    const bool shown = std::any_of(prizes.begin(), prizes.end(), [&](const PrizeItem& prize) {
        return fieldText(prize.imageFile) == name;
    });
    if (!shown || sameFileContents(chosen, wanted))
        return wanted;
    return freeNameBeside(wanted);
}

} // namespace kelvora
