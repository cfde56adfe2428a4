#pragma once
// What the presenter console tells the operator about the show, read from the draw run as it is: the phase in
// words, the current and next prize, the pool, the current prize's winners and what the next press of Space
// will do. Plain values, made again whenever the show changes and compared, so the window redraws only what
// changed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/draw_run.h"

namespace kelvora {

// The replay and the full list are phases of their own: Space pauses them instead of pressing on.
enum class ShowPhase { NotStarted, Ready, Scrolling, Stopped, Replay, FullList };

// What the advance input (Space, PgDn, Down, the console's big button) does now.
enum class AdvanceStep { StartDraw, Start, Stop, NextPrize, ReplayAll, PauseRoll, Nothing };

struct ConsoleStatus {
    ShowPhase phase = ShowPhase::NotStarted;
    AdvanceStep advance = AdvanceStep::Nothing;
    std::u16string prizeName; // empty before a draw
    int drawn = 0;
    int quota = 0;
    // Names the next press draws: the prize's per-press count, fewer on a prize's last press or when the
    // pool runs short; 0 when the prize is full.
    int nextPress = 0;
    int perDraw = 0;
    std::u16string nextPrizeName; // the first prize before a draw; empty on the last one
    // Those who can still win: the pool during a draw, the whole name list before one.
    int poolSize = 0;
    std::vector<std::u16string> winners; // the current prize's, in the order they were drawn
    bool whiteList = false;
    bool blackList = false;
    bool rehearsal = false; // the show is a rehearsal; set by whoever knows

    friend bool operator==(const ConsoleStatus&, const ConsoleStatus&) = default;
};

ConsoleStatus consoleStatus(const DrawRun& run, bool replayActive, bool fullListActive);
// The phase alone, cheap enough for every frame.
ShowPhase showPhase(const DrawRun& run, bool replayActive, bool fullListActive);

std::u16string_view phaseText(ShowPhase phase);
// The big button's word: "开始", "停止", "下一步", or "暂停 / 继续" while a roll shows.
std::u16string_view advanceText(AdvanceStep step);
// Whether the lists decide the next press, as the draw itself decides it: the current prize has a white or
// black list and Caps Lock is on. "无黑白名单", "白名单 + 黑名单: 生效", "白名单: 未生效 (大写锁定关)".
std::u16string listsText(const ConsoleStatus& status, bool capsLockOn);

// The time since the first press of the draw: it starts when names first scroll (for a draw resumed at
// start-up, at the first press after it) and is forgotten when the draw ends.
class ShowClock {
public:
    void observe(ShowPhase phase, std::int64_t nowMs);
    std::optional<std::int64_t> elapsedMs(std::int64_t nowMs) const;

private:
    std::optional<std::int64_t> m_firstPressMs;
};

// "mm:ss", or "h:mm:ss" from an hour on.
std::u16string durationText(std::int64_t ms);

} // namespace kelvora
