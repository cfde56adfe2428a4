#include "console/console_status.h"

#include <algorithm>

#include "platform/text.h"

namespace kelvora {

ShowPhase showPhase(const DrawRun& run, bool replayActive, bool fullListActive) {
    if (fullListActive)
        return ShowPhase::FullList;
    if (replayActive)
        return ShowPhase::Replay;
    if (!run.drawStarted())
        return ShowPhase::NotStarted;
    switch (run.progress().state) {
    case DrawState::Ready:
        return ShowPhase::Ready;
    case DrawState::Scrolling:
        return ShowPhase::Scrolling;
    case DrawState::Stopped:
        break;
    }
    return ShowPhase::Stopped;
}

namespace {

// The same order of questions as DrawRun::advanceDraw asks them.
AdvanceStep advanceOf(const DrawRun& run, ShowPhase phase) {
    switch (phase) {
    case ShowPhase::Replay:
    case ShowPhase::FullList:
        return AdvanceStep::PauseRoll;
    case ShowPhase::NotStarted:
        return AdvanceStep::StartDraw;
    case ShowPhase::Scrolling:
        return AdvanceStep::Stop;
    case ShowPhase::Ready:
    case ShowPhase::Stopped:
        break;
    }
    const PrizeItem* prize = run.currentPrize();
    if (!prize)
        return AdvanceStep::Nothing;
    if (run.progress().drawnCount < prize->quota)
        return AdvanceStep::Start;
    return run.isLastPrize() ? AdvanceStep::ReplayAll : AdvanceStep::NextPrize;
}

} // namespace

ConsoleStatus consoleStatus(const DrawRun& run, bool replayActive, bool fullListActive) {
    ConsoleStatus s;
    s.phase = showPhase(run, replayActive, fullListActive);
    s.advance = advanceOf(run, s.phase);
    const PrizeList& prizes = run.prizes();
    if (!run.drawStarted()) {
        if (!prizes.empty())
            s.nextPrizeName = prizes.front().nameText();
        s.poolSize = static_cast<int>(run.currentNameList().size());
        return s;
    }
    const DrawProgress& progress = run.progress();
    s.poolSize = static_cast<int>(progress.pool.size());
    const PrizeItem* prize = run.currentPrize();
    if (!prize)
        return s;
    s.prizeName = prize->nameText();
    s.drawn = progress.drawnCount;
    s.quota = prize->quota;
    s.perDraw = prize->perDraw;
    s.nextPress = std::max(0, std::min({prize->perDraw, prize->quota - progress.drawnCount, s.poolSize}));
    if (progress.state == DrawState::Scrolling)
        s.nextPress = progress.shownCount;
    s.whiteList = !prize->whiteList.empty();
    s.blackList = !prize->blackList.empty();
    if (!run.isLastPrize())
        s.nextPrizeName = prizes[static_cast<std::size_t>(progress.prizeIndex) + 1].nameText();
    for (const WinnerGroup& group : progress.winners) {
        if (!equalsIgnoreCase(group.name(), s.prizeName))
            continue;
        for (const Entrant& entrant : group.entrants)
            s.winners.emplace_back(entrant.text());
        break;
    }
    return s;
}

std::u16string_view phaseText(ShowPhase phase) {
    switch (phase) {
    case ShowPhase::NotStarted:
        return u"未开始";
    case ShowPhase::Ready:
        return u"准备抽取";
    case ShowPhase::Scrolling:
        return u"滚动中";
    case ShowPhase::Stopped:
        return u"已停止";
    case ShowPhase::Replay:
        return u"回放中";
    case ShowPhase::FullList:
        return u"展示总名单";
    }
    return {};
}

std::u16string_view advanceText(AdvanceStep step) {
    switch (step) {
    case AdvanceStep::StartDraw:
    case AdvanceStep::Start:
        return u"开始";
    case AdvanceStep::Stop:
        return u"停止";
    case AdvanceStep::NextPrize:
    case AdvanceStep::ReplayAll:
        return u"下一步";
    case AdvanceStep::PauseRoll:
        return u"暂停 / 继续";
    case AdvanceStep::Nothing:
        break;
    }
    return u"开始 / 停止 / 下一步";
}

std::u16string listsText(const ConsoleStatus& status, bool capsLockOn) {
    if (!status.whiteList && !status.blackList)
        return u"无黑白名单";
    std::u16string text = status.whiteList && status.blackList ? u"白名单 + 黑名单"
                          : status.whiteList                   ? u"白名单"
                                                               : u"黑名单";
    text += capsLockOn ? u": 生效" : u": 未生效 (大写锁定关)";
    return text;
}

void ShowClock::observe(ShowPhase phase, std::int64_t nowMs) {
    if (phase == ShowPhase::NotStarted)
        m_firstPressMs.reset();
    else if (phase == ShowPhase::Scrolling && !m_firstPressMs)
        m_firstPressMs = nowMs;
}

std::optional<std::int64_t> ShowClock::elapsedMs(std::int64_t nowMs) const {
    if (!m_firstPressMs)
        return std::nullopt;
    return std::max<std::int64_t>(0, nowMs - *m_firstPressMs);
}

std::u16string durationText(std::int64_t ms) {
    const std::int64_t total = std::max<std::int64_t>(0, ms) / 1000;
    const std::int64_t hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
    auto two = [](std::int64_t v) {
        std::u16string t;
        t.push_back(static_cast<char16_t>(u'0' + v / 10));
        t.push_back(static_cast<char16_t>(u'0' + v % 10));
        return t;
    };
    std::u16string text;
    if (hours > 0) {
        for (char c : std::to_string(hours))
            text.push_back(static_cast<char16_t>(c));
        text.push_back(u':');
    }
    text += two(minutes);
    text.push_back(u':');
    text += two(seconds);
    return text;
}

} // namespace kelvora
