#include "standby/event_summary.h"

#include <optional>

#include "draw/progress_file.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"

namespace kelvora {

namespace {

// More prizes than this make the line longer than a message box is wide; the count says the rest.
constexpr std::size_t kPrizesShown = 8;

std::u16string prizeLine(const EventSummary& summary) {
    std::u16string line =
        formatText(u"奖项: %s 个", {decimalText(static_cast<long long>(summary.prizes.size()))});
    if (summary.prizes.empty())
        return line;
    line += u" (";
    for (std::size_t i = 0; i < summary.prizes.size() && i < kPrizesShown; ++i) {
        if (i > 0)
            line += u", ";
        line += formatText(u"%s %s 名", {summary.prizes[i].name, decimalText(summary.prizes[i].quota)});
    }
    if (summary.prizes.size() > kPrizesShown)
        line += u", …";
    return line + u")";
}

std::u16string progressLine(const EventSummary& summary) {
    if (!summary.drawStarted)
        return u"抽奖进度: 未开始";
    return formatText(u"抽奖进度: 进行中，第 %s 个奖项「%s」，已抽出 %s / %s 人",
                      {decimalText(summary.currentPrize + 1), summary.currentPrizeName,
                       decimalText(summary.winners), decimalText(summary.totalQuota)});
}

} // namespace

EventSummary summarizeEvent(const DataPaths& paths) {
    EventSummary summary;
    PrizeList prizes;
    if (!loadPrizes(paths, prizes))
        summary.unreadable.emplace_back(u"奖项");
    for (const PrizeItem& prize : prizes) {
        summary.prizes.push_back({std::u16string(prize.nameText()), prize.quota});
        summary.totalQuota += prize.quota;
    }

    DrawMode mode;
    bool listRead = static_cast<bool>(loadDrawMode(paths, mode));
    summary.textMode = mode.isTextMode();
    if (summary.textMode) {
        TextNameList list;
        listRead = static_cast<bool>(loadTextNameList(paths, list)) && listRead;
        summary.entrants = static_cast<int>(list.entries.size());
    } else {
        PictureNameList list;
        listRead = static_cast<bool>(loadPictureNameList(paths, list)) && listRead;
        summary.entrants = static_cast<int>(list.entries.size());
    }
    if (!listRead)
        summary.unreadable.emplace_back(u"名单");

    InterfaceSettings look;
    if (!loadInterfaceSettings(paths, look))
        summary.unreadable.emplace_back(u"界面");
    summary.mainTitle = fieldText(look.mainTitle);

    std::optional<DrawProgress> saved;
    if (!loadProgress(paths, prizes, saved))
        summary.unreadable.emplace_back(u"抽奖进度");
    if (saved) {
        summary.drawStarted = true;
        summary.winners = winnerCount(saved->winners, u"");
        if (saved->prizeIndex >= 0 && static_cast<std::size_t>(saved->prizeIndex) < prizes.size()) {
            summary.currentPrize = saved->prizeIndex;
            summary.currentPrizeName = prizes[static_cast<std::size_t>(saved->prizeIndex)].nameText();
        }
    }
    return summary;
}

std::u16string summaryText(const EventSummary& summary) {
    std::u16string text = formatText(u"主标题: %s\n", {summary.mainTitle}) + prizeLine(summary) + u"\n";
    text += formatText(u"名单: %s 人 (%s)\n",
                       {decimalText(summary.entrants), summary.textMode ? u"文字" : u"图片"});
    text += progressLine(summary);
    if (!summary.unreadable.empty()) {
        text += u"\n无法读取: ";
        for (std::size_t i = 0; i < summary.unreadable.size(); ++i) {
            if (i > 0)
                text += u"、";
            text += summary.unreadable[i];
        }
    }
    return text;
}

} // namespace kelvora
