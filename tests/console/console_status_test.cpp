// What the presenter console reads off a draw at each step, its settings record's range checks, and the time
// since the first press.

#include <gtest/gtest.h>

#include "console/console_settings.h"
#include "console/console_status.h"
#include "draw_fixture.h"
#include "record_bytes.h"

namespace kelvora::test {
namespace {

// One row per step of a whole draw: two prizes, the first with a white list and a short last press.
struct Step {
    const char* what;
    std::function<void(DrawFixture&)> act;
    ShowPhase phase;
    AdvanceStep advance;
    const char16_t* prize;
    int drawn, nextPress;
    const char16_t* nextPrize;
    int pool;
    std::size_t winners;
};

TEST(ConsoleStatusTest, FollowsAWholeDrawStepByStep) {
    DrawFixture f;
    f.prizes = {makePrize(u"三等奖", 3, 2), makePrize(u"一等奖", 1, 1)};
    f.prizes[0].whiteList.push_back(makeEntrant(u"N1"));
    f.textList = makeNames(10);
    auto advance = [](DrawFixture& d) { d.run.advanceDraw(); };
    const Step steps[] = {
        {"before the draw", [](DrawFixture&) {}, ShowPhase::NotStarted, AdvanceStep::StartDraw, u"", 0, 0,
         u"三等奖", 10, 0},
        {"started", [](DrawFixture& d) { d.run.startDraw(); }, ShowPhase::Ready, AdvanceStep::Start,
         u"三等奖", 0, 2, u"一等奖", 10, 0},
        {"scrolling", advance, ShowPhase::Scrolling, AdvanceStep::Stop, u"三等奖", 0, 2, u"一等奖", 10, 0},
        {"stopped", advance, ShowPhase::Stopped, AdvanceStep::Start, u"三等奖", 2, 1, u"一等奖", 8, 2},
        {"the short last press", advance, ShowPhase::Scrolling, AdvanceStep::Stop, u"三等奖", 2, 1, u"一等奖",
         8, 2},
        {"the prize is full", advance, ShowPhase::Stopped, AdvanceStep::NextPrize, u"三等奖", 3, 0, u"一等奖",
         7, 3},
        {"the last prize", advance, ShowPhase::Ready, AdvanceStep::Start, u"一等奖", 0, 1, u"", 7, 0},
        {"the last prize drawn", [](DrawFixture& d) { d.press(); }, ShowPhase::Stopped,
         AdvanceStep::ReplayAll, u"一等奖", 1, 0, u"", 6, 1},
    };
    for (const Step& step : steps) {
        step.act(f);
        const ConsoleStatus s = consoleStatus(f.run, false, false);
        EXPECT_EQ(s.phase, step.phase) << step.what;
        EXPECT_EQ(s.advance, step.advance) << step.what;
        EXPECT_EQ(s.prizeName, step.prize) << step.what;
        EXPECT_EQ(s.drawn, step.drawn) << step.what;
        EXPECT_EQ(s.nextPress, step.nextPress) << step.what;
        EXPECT_EQ(s.nextPrizeName, step.nextPrize) << step.what;
        EXPECT_EQ(s.poolSize, step.pool) << step.what;
        ASSERT_EQ(s.winners.size(), step.winners) << step.what;
        EXPECT_EQ(s.whiteList, s.prizeName == u"三等奖") << step.what;
    }
    const ConsoleStatus last = consoleStatus(f.run, false, false);
    EXPECT_EQ(last.winners.front(), f.run.progress().winners.back().entrants.front().text());

    // A roll on screen takes Space for pausing, whatever the draw's state.
    EXPECT_EQ(consoleStatus(f.run, true, false).phase, ShowPhase::Replay);
    EXPECT_EQ(consoleStatus(f.run, true, true).phase, ShowPhase::FullList);
    EXPECT_EQ(consoleStatus(f.run, false, true).advance, AdvanceStep::PauseRoll);
}

TEST(ConsoleStatusTest, TheListsApplyOnlyWithCapsLockOn) {
    ConsoleStatus s;
    EXPECT_EQ(listsText(s, true), u"无黑白名单");
    s.whiteList = true;
    EXPECT_EQ(listsText(s, true), u"白名单: 生效");
    s.blackList = true;
    EXPECT_EQ(listsText(s, false), u"白名单 + 黑名单: 未生效 (大写锁定关)");
}

TEST(ConsoleStatusTest, TheClockRunsFromTheFirstPressUntilTheDrawEnds) {
    ShowClock clock;
    clock.observe(ShowPhase::Ready, 1000);
    EXPECT_FALSE(clock.elapsedMs(2000)) << "a draw resumed or started counts from its first press";
    clock.observe(ShowPhase::Scrolling, 5000);
    clock.observe(ShowPhase::Stopped, 6000);
    clock.observe(ShowPhase::Scrolling, 9000);
    EXPECT_EQ(clock.elapsedMs(65000), 60000);
    EXPECT_EQ(durationText(60000), u"01:00");
    EXPECT_EQ(durationText(3'725'000), u"1:02:05");
    clock.observe(ShowPhase::NotStarted, 70000);
    EXPECT_FALSE(clock.elapsedMs(71000));
}

TEST(ConsoleSettingsTest, AValueOutOfRangeRejectsTheFileAndKeepsTheRecord) {
    struct Bad {
        const char* what;
        std::size_t offset;
        std::int32_t value;
    };
    const Bad cases[] = {
        {"auto-open neither 0 nor 1", 0, 2}, {"negative left", 4, -1},    {"top past the limit", 8, 60001},
        {"narrower than 640", 12, 639},      {"lower than 480", 16, 479}, {"an unknown panel", 20, 16},
        {"negative panels", 20, -1},
    };
    ConsoleSettings edited;
    edited.autoOpen = 1;
    edited.panels = 0;
    const Bytes good = imageOf(edited, serializeConsoleSettings);
    ASSERT_EQ(good.size(), ConsoleSettings::kFileBytes);
    for (const Bad& c : cases) {
        Bytes image = good;
        putInt32(image, c.offset, c.value);
        ConsoleSettings live;
        live.x = 7;
        EXPECT_FALSE(parseImage(image, live, parseConsoleSettings)) << c.what;
        EXPECT_EQ(live.x, 7) << c.what;
    }
    Bytes shorter = good;
    shorter.pop_back();
    ConsoleSettings live;
    EXPECT_FALSE(parseImage(shorter, live, parseConsoleSettings));
    ASSERT_TRUE(parseImage(good, live, parseConsoleSettings));
    EXPECT_EQ(live, edited);
}

} // namespace
} // namespace kelvora::test
