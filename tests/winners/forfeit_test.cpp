// Forfeits through the winners window's call, against whole draws on the fake host: what the draw, the
// screen's places, the saved file and the next press make of them.

#include <gtest/gtest.h>

#include "draw/draw_fixture.h"
#include "draw/replay_prize.h"
#include "winners/forfeit_winner.h"

namespace kelvora::test {
namespace {

class ForfeitTest : public ::testing::Test, public DrawFixture {
protected:
    RecordingMessageBox messages;
    int owner = 0; // stands for the winners window

    // The operator selects the row, presses "弃奖(&D)" and answers Yes.
    bool forfeit(std::u16string prize, std::u16string winner, bool backToPool = false) {
        messages.answers = {MessageAnswer::Yes};
        return forfeitWinner(run, messages, &owner, ForfeitRow{std::move(prize), std::move(winner)},
                             backToPool);
    }

    std::vector<std::string> groupNames() const {
        std::vector<std::string> out;
        for (const WinnerGroup& g : run.progress().winners)
            out.push_back(u8(g.name()));
        return out;
    }
    std::u16string winnersOf(std::u16string_view prize) const {
        for (const WinnerGroup& g : run.progress().winners)
            if (g.name() == prize)
                return names(g.entrants);
        return u"-";
    }
    std::u16string forfeitedSlots() const {
        std::u16string out;
        for (int i = 0; i < run.progress().shownCount; ++i)
            out += run.progress().slotForfeited[static_cast<std::size_t>(i)] ? u'x' : u'.';
        return out;
    }
};

TEST_F(ForfeitTest, WinnerOfAnEarlierPrizeLeavesItOneShortWithoutRedraw) {
    prizes = {makePrize(u"一等奖", 2, 1), makePrize(u"二等奖", 2, 1)};
    textList = makeNames(6);
    run.startDraw();
    press();
    press();
    run.advanceDraw(); // to 二等奖
    press();
    const std::u16string earlier = winnersOf(u"一等奖");
    const std::u16string first = earlier.substr(0, earlier.find(u','));
    const std::u16string second = earlier.substr(earlier.find(u',') + 1);
    const std::u16string onScreen = shown();
    const std::size_t poolBefore = run.progress().pool.size();
    const int repaints = host.repaints;

    ASSERT_TRUE(forfeit(u"一等奖", first));
    EXPECT_EQ(messages.shown.size(), 1u) << "only the question";
    EXPECT_EQ(messages.shown[0].text, kConfirmForfeitText);
    EXPECT_EQ(messages.shown[0].owner, &owner);
    EXPECT_EQ(winnersOf(u"一等奖"), second);
    EXPECT_EQ(run.progress().prizeIndex, 1);
    EXPECT_EQ(run.progress().drawnCount, 1) << "the current prize keeps its count";
    EXPECT_EQ(shown(), onScreen);
    EXPECT_EQ(forfeitedSlots(), u".") << "the places show the current prize only";
    EXPECT_EQ(run.progress().pool.size(), poolBefore) << "the box was clear";
    EXPECT_GT(host.repaints, repaints);
    ASSERT_EQ(host.saved.size(), 4u) << "three stops and the forfeit";
    EXPECT_EQ(winnerCount(host.saved.back().winners, u"一等奖"), 1) << "the forfeit itself was saved";

    // The draw goes on with the current prize; the earlier one stays a winner short.
    EXPECT_EQ(run.promptText(), u", 按空格继续抽取");
    press();
    EXPECT_EQ(run.promptText(), u", 按空格抽完回放");
    EXPECT_EQ(winnerCount(run.progress().winners, u"一等奖"), 1);
    EXPECT_EQ(winnerCount(run.progress().winners, u"二等奖"), 2);
}

TEST_F(ForfeitTest, OnlyWinnerTakesTheGroupAndTheReplayChoiceWithIt) {
    prizes = {makePrize(u"A", 1, 1), makePrize(u"B", 1, 1)};
    textList = makeNames(4);
    run.startDraw();
    press();
    const std::u16string only = winnersOf(u"A");
    run.advanceDraw();
    press();

    ASSERT_TRUE(forfeit(u"a", only)) << "the prize name matches ignoring case";
    EXPECT_EQ(groupNames(), std::vector<std::string>{"B"});
    EXPECT_EQ(replayPrizeChoices(run.progress().winners), std::vector<std::u16string>{u"B"});
    EXPECT_EQ(host.saved.back().winners.size(), 1u);
}

TEST_F(ForfeitTest, TickedBoxPutsTheForfeiterBackToWinALaterPrize) {
    prizes = {makePrize(u"A", 1, 1), makePrize(u"B", 3, 1)};
    textList = makeNames(3);
    run.startDraw();
    press();
    const std::u16string forfeiter = winnersOf(u"A");
    run.advanceDraw(); // B is current: forfeiting A gives no place back

    // Clear box: the forfeiter is gone for good.
    {
        DrawFixture other;
        other.prizes = prizes;
        other.textList = textList;
        other.run.startDraw();
        other.press();
        RecordingMessageBox box;
        box.answers = {MessageAnswer::Yes};
        const std::u16string gone = names(other.run.progress().winners[0].entrants);
        ASSERT_TRUE(forfeitWinner(other.run, box, nullptr, ForfeitRow{u"A", gone}, false));
        for (const Entrant& e : other.run.progress().pool)
            EXPECT_NE(e.text(), gone);
    }

    ASSERT_TRUE(forfeit(u"A", forfeiter, true));
    ASSERT_EQ(run.progress().pool.size(), 3u);
    EXPECT_EQ(run.progress().pool.back().text(), forfeiter) << "appended at the end";
    EXPECT_EQ(host.saved.back().pool.back().text(), forfeiter);

    press();
    press();
    press();
    EXPECT_EQ(winnerCount(run.progress().winners, u"B"), 3);
    EXPECT_NE(winnersOf(u"B").find(forfeiter), std::u16string::npos) << "the forfeiter won again";
    EXPECT_TRUE(run.progress().pool.empty());
}

TEST_F(ForfeitTest, OnlyWinnerOfTheLastCompletePrizeIsDrawnAgain) {
    prizes = {makePrize(u"P1", 1, 1), makePrize(u"P2", 1, 1)};
    textList = makeNames(5);
    run.startDraw();
    press();
    run.advanceDraw();
    press();
    ASSERT_EQ(run.promptText(), u", 按空格抽完回放");
    const std::u16string winner = shown();

    ASSERT_TRUE(forfeit(u"P2", winner));
    EXPECT_EQ(run.progress().drawnCount, 0);
    EXPECT_EQ(forfeitedSlots(), u"x") << "the screen leaves the place empty";
    EXPECT_EQ(host.saved.back().slotForfeited[0], 1);
    EXPECT_EQ(groupNames(), std::vector<std::string>{"P1"});
    EXPECT_EQ(run.promptText(), u", 按空格继续抽取");

    run.advanceDraw();
    EXPECT_EQ(run.progress().state, DrawState::Scrolling) << "a replacement is drawn, no replay";
    EXPECT_NE(host.calls.back(), "startReplay");
    EXPECT_EQ(run.progress().shownCount, 1);
    run.advanceDraw();
    EXPECT_EQ(winnerCount(run.progress().winners, u"P2"), 1);
    EXPECT_NE(winnersOf(u"P2"), winner);
    EXPECT_EQ(forfeitedSlots(), u".") << "the new press shows its own winner";
    EXPECT_EQ(run.promptText(), u", 按空格抽完回放");
}

TEST_F(ForfeitTest, NamesAlikeRemoveTheFirstAndEmptyAPlaceEach) {
    prizes = {makePrize(u"P", 2, 2)};
    textList = entrantsNamed({u"Li", u"LI"});
    run.startDraw();
    press();
    const std::u16string drawn = winnersOf(u"P"); // in draw order
    const std::u16string firstDrawn = drawn.substr(0, 2);
    const std::u16string secondDrawn = drawn.substr(3);

    // Whichever row is chosen, both read alike: the first of the group goes.
    ASSERT_TRUE(forfeit(u"P", secondDrawn));
    EXPECT_EQ(winnersOf(u"P"), secondDrawn);
    EXPECT_EQ(forfeitedSlots(), u"x.");
    ASSERT_TRUE(forfeit(u"P", firstDrawn));
    EXPECT_EQ(winnersOf(u"P"), u"-");
    EXPECT_EQ(forfeitedSlots(), u"xx") << "the second forfeit empties the other place";
    EXPECT_EQ(run.progress().drawnCount, 0);
}

TEST_F(ForfeitTest, RefusalsAndAFailedSaveChangeNothing) {
    prizes = {makePrize(u"P", 3, 1)};
    textList = makeNames(5);
    run.startDraw();
    press();
    const std::u16string winner = shown();
    const DrawProgress before = run.progress();
    const std::size_t saves = host.saved.size();
    auto unchanged = [&](const char* step) {
        const DrawProgress& now = run.progress();
        EXPECT_EQ(names(now.winners[0].entrants), names(before.winners[0].entrants)) << step;
        EXPECT_EQ(names(now.pool), names(before.pool)) << step;
        EXPECT_EQ(now.drawnCount, before.drawnCount) << step;
        EXPECT_EQ(now.slotForfeited, before.slotForfeited) << step;
        EXPECT_EQ(host.saved.size(), saves) << step;
    };

    EXPECT_FALSE(forfeitWinner(run, messages, &owner, std::nullopt, false));
    EXPECT_EQ(messages.lastText(), kChooseForfeiterText);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Information);
    unchanged("no row");

    messages.answers = {MessageAnswer::No};
    EXPECT_FALSE(forfeitWinner(run, messages, &owner, ForfeitRow{u"P", winner}, true));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Question);
    unchanged("answered No");

    host.failSave = true;
    EXPECT_FALSE(forfeit(u"P", winner, true));
    EXPECT_EQ(messages.lastText(), u"弃奖失败:\n" + host.saveError);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    unchanged("failed save");
    host.failSave = false;

    run.advanceDraw(); // names scroll
    const std::size_t asked = messages.shown.size();
    EXPECT_FALSE(forfeit(u"P", winner));
    EXPECT_EQ(messages.lastText(), u"停止滚动后才可弃奖");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown.size(), asked + 1) << "no question while names scroll";
    run.advanceDraw();

    // A row that no longer matches the draw (a name no winner has) changes nothing, not even the count.
    const int drawn = run.progress().drawnCount;
    const std::size_t savesNow = host.saved.size();
    EXPECT_FALSE(forfeit(u"P", u"nobody"));
    EXPECT_EQ(run.progress().drawnCount, drawn);
    EXPECT_EQ(host.saved.size(), savesNow);
}

} // namespace
} // namespace kelvora::test
