// Whole draws through the fake host: what the operator sees press by press.

#include <gtest/gtest.h>

#include "draw_fixture.h"

namespace kelvora::test {
namespace {

class DrawRunTest : public ::testing::Test, public DrawFixture {};

TEST_F(DrawRunTest, TwoPrizesRunFromStartToReplay) {
    prizes = {makePrize(u"A", 2, 1), makePrize(u"B", 1, 1)};
    textList = makeNames(5);

    run.advanceDraw(); // nothing before a start
    EXPECT_FALSE(run.drawStarted());
    EXPECT_EQ(run.promptText(), u"");

    run.startDraw();
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().state, DrawState::Ready);
    EXPECT_EQ(run.progress().prizeIndex, 0);
    EXPECT_EQ(run.promptText(), u", 按空格开始抽取");
    EXPECT_TRUE(host.saved.empty()) << "a start writes nothing";

    run.advanceDraw();
    EXPECT_EQ(run.progress().state, DrawState::Scrolling);
    EXPECT_EQ(run.promptText(), u", 按空格停止滚动");
    EXPECT_EQ(host.timerPeriod, 33);
    run.advanceDraw();
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
    EXPECT_EQ(run.progress().drawnCount, 1);
    EXPECT_EQ(run.promptText(), u", 按空格继续抽取");
    EXPECT_EQ(host.timerPeriod, 0);
    ASSERT_EQ(host.saved.size(), 1u);

    press();
    EXPECT_EQ(run.progress().drawnCount, 2);
    EXPECT_EQ(run.promptText(), u", 按空格下一奖项");
    ASSERT_EQ(host.saved.size(), 2u);

    run.advanceDraw(); // next prize: nothing saved, the file keeps the finished prize
    EXPECT_EQ(run.progress().prizeIndex, 1);
    EXPECT_EQ(run.progress().state, DrawState::Ready);
    EXPECT_EQ(run.progress().drawnCount, 0);
    EXPECT_EQ(run.promptText(), u", 按空格开始抽取");
    EXPECT_EQ(host.saved.size(), 2u);

    press();
    EXPECT_EQ(run.promptText(), u", 按空格抽完回放");
    ASSERT_EQ(host.saved.size(), 3u);

    run.advanceDraw();
    EXPECT_EQ(host.calls.back(), "startReplay");
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
    EXPECT_TRUE(run.replayPrize().empty());

    // Three winners, each exactly once, grouped by prize, none of them left in the pool.
    const WinnerList& winners = run.progress().winners;
    ASSERT_EQ(winners.size(), 2u);
    EXPECT_EQ(winners[0].entrants.size(), 2u);
    EXPECT_EQ(winners[1].entrants.size(), 1u);
    EXPECT_EQ(run.progress().pool.size(), 2u);
    for (const WinnerGroup& g : winners)
        for (const Entrant& w : g.entrants)
            for (const Entrant& p : run.progress().pool)
                EXPECT_FALSE(sameEntrant(w, p)) << u8(w.text());
    EXPECT_TRUE(host.messages.shown.empty());
}

TEST_F(DrawRunTest, SavedProgressHoldsExactlyTheWinnersOnScreen) {
    prizes = {makePrize(u"A", 4, 2)};
    textList = makeNames(10);
    run.startDraw();
    press();
    ASSERT_EQ(host.saved.size(), 1u);
    const DrawProgress& saved = host.saved.back();
    EXPECT_EQ(saved.state, DrawState::Stopped);
    EXPECT_EQ(saved.shownCount, 2);
    ASSERT_EQ(saved.winners.size(), 1u);
    EXPECT_EQ(names(saved.winners[0].entrants), shown());
    EXPECT_EQ(saved.pool.size(), 8u);
}

TEST_F(DrawRunTest, RefusalsLeaveNothingStarted) {
    textList = makeNames(3);
    run.startDraw();
    EXPECT_FALSE(run.drawStarted());
    EXPECT_EQ(host.messages.lastText(), u"奖项不可为空");
    EXPECT_EQ(host.messages.shown.back().icon, MessageIcon::Warning);

    prizes = {makePrize(u"A", 1, 1)};
    drawMode = 1; // picture mode with an empty picture list, although the text list has names
    run.startDraw();
    EXPECT_FALSE(run.drawStarted());
    EXPECT_EQ(host.messages.lastText(), u"抽奖名单不可为空");

    // A draw started in text mode uses the text list even when the picture list is longer.
    drawMode = 0;
    pictureList = makeNames(50, u"P");
    run.startDraw();
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().pool.size(), 3u);
}

// A hand-edited mode file may hold any value; only 0 is text mode. Testing for 1 drew from the text list.
TEST_F(DrawRunTest, EveryModeButZeroDrawsFromThePictureList) {
    prizes = {makePrize(u"A", 1, 1)};
    textList = makeNames(3);
    pictureList = makeNames(5, u"P");
    for (const std::int32_t mode : {7, -1}) {
        SCOPED_TRACE(mode);
        drawMode = mode;
        EXPECT_TRUE(run.pictureMode());
        EXPECT_EQ(&run.currentNameList(), &pictureList);
    }
    run.startDraw();
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().pool.size(), 5u);
}

TEST_F(DrawRunTest, EmptyPoolWithPlacesDueNeverMovesOn) {
    prizes = {makePrize(u"A", 5, 5), makePrize(u"B", 1, 1)};
    textList = makeNames(2);
    run.startDraw();
    press();
    EXPECT_EQ(run.progress().drawnCount, 2);
    for (int i = 0; i < 3; ++i) {
        host.messages.shown.clear();
        run.advanceDraw();
        EXPECT_EQ(host.messages.lastText(), u"奖池已空：\n一人只能中奖一次，所有人都已中过奖");
        EXPECT_EQ(run.progress().prizeIndex, 0);
        EXPECT_EQ(run.progress().state, DrawState::Stopped);
    }
}

TEST_F(DrawRunTest, PressSizesFollowPerDrawQuotaAndPool) {
    struct Case {
        int pool, quota, perDraw;
        std::vector<int> presses;
    };
    for (const Case& c : {Case{3, 10, 5, {3}}, Case{20, 10, 4, {4, 4, 2}}, Case{50, 50, 50, {50}}}) {
        DrawFixture f;
        f.prizes = {makePrize(u"A", c.quota, c.perDraw)};
        f.textList = makeNames(c.pool);
        f.run.startDraw();
        int drawn = 0;
        for (int expected : c.presses) {
            f.run.advanceDraw();
            EXPECT_EQ(f.run.progress().shownCount, expected) << c.pool << " " << c.quota << " " << c.perDraw;
            f.run.advanceDraw();
            drawn += expected;
            EXPECT_EQ(f.run.progress().drawnCount, drawn);
        }
    }
}

TEST_F(DrawRunTest, ScrollPeriodAndSlowScrollWhileADialogIsOpen) {
    prizes = {makePrize(u"A", 3, 1)};
    textList = makeNames(5);
    scrollSpeed = 7;
    EXPECT_EQ(run.scrollPeriodMs(), 142);
    scrollSpeed = 60;
    EXPECT_EQ(run.scrollPeriodMs(), 16);
    scrollSpeed = 1;
    EXPECT_EQ(run.scrollPeriodMs(), 1000);

    scrollSpeed = 60;
    run.startDraw();
    run.advanceDraw();
    EXPECT_EQ(host.timerPeriod, 16);
    host.dialogActive = true;
    run.scrollTimerTick();
    EXPECT_EQ(host.timerPeriod, 1000);
    EXPECT_TRUE(run.slowScroll());
    const std::size_t starts = host.timerStarts.size();
    run.scrollTimerTick(); // already slow: no restart
    EXPECT_EQ(host.timerStarts.size(), starts);
    host.dialogActive = false;
    run.scrollTimerTick();
    EXPECT_EQ(host.timerPeriod, 16);
    EXPECT_FALSE(run.slowScroll());
}

TEST_F(DrawRunTest, MusicHooksFollowTheSwitches) {
    prizes = {makePrize(u"A", 2, 1)};
    textList = makeNames(5);
    run.startDraw();
    press();
    EXPECT_EQ(host.calls.front(), "prepareScrollMusic");
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "startScrollMusic"), host.calls.end());
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "startWinMusic"), host.calls.end());

    host.calls.clear();
    scrollMusicOn = 0;
    winMusicOn = 0;
    press();
    EXPECT_EQ(std::find(host.calls.begin(), host.calls.end(), "startScrollMusic"), host.calls.end());
    EXPECT_EQ(std::find(host.calls.begin(), host.calls.end(), "startWinMusic"), host.calls.end());
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "rewindScrollMusic"), host.calls.end());
}

TEST_F(DrawRunTest, FailedSaveRollsThePressBack) {
    prizes = {makePrize(u"A", 6, 3)};
    textList = makeNames(10);
    run.startDraw();
    press();
    const DrawProgress before = run.progress();

    host.failSave = true;
    press();
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
    EXPECT_EQ(run.progress().shownCount, 0);
    EXPECT_EQ(run.progress().drawnCount, before.drawnCount);
    EXPECT_EQ(run.progress().pool.size(), before.pool.size());
    EXPECT_EQ(winnerCount(run.progress().winners, u""), 3);
    for (const Entrant& slot : run.progress().shownEntrants)
        EXPECT_EQ(slot.name[0], 0);
    ASSERT_FALSE(host.messages.shown.empty());
    EXPECT_EQ(host.messages.lastText(), u"抽取失败:\n" + host.saveError);
    EXPECT_EQ(host.messages.shown.back().icon, MessageIcon::Error);
    EXPECT_EQ(run.promptText(), u", 按空格继续抽取");

    // The operator presses again and the same prize goes on.
    host.failSave = false;
    press();
    EXPECT_EQ(run.progress().drawnCount, 6);
    EXPECT_EQ(winnerCount(run.progress().winners, u"A"), 6);
}

TEST_F(DrawRunTest, EndEmptiesEverything) {
    prizes = {makePrize(u"A", 2, 2), makePrize(u"B", 1, 1)};
    textList = makeNames(5);
    run.startDraw();
    press();
    run.advanceDraw();
    run.end();
    EXPECT_FALSE(run.drawStarted());
    EXPECT_EQ(run.progress().state, DrawState::Ready);
    EXPECT_EQ(run.progress().prizeIndex, 0);
    EXPECT_TRUE(run.progress().pool.empty());
    EXPECT_TRUE(run.progress().winners.empty());
    EXPECT_TRUE(run.scrollDeck().empty());
}

} // namespace
} // namespace kelvora::test
