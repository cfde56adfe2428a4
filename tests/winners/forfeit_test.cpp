// Forfeits through the winners window's call, against whole draws on the fake host: what the draw, the
// screen's places, the saved file and the next press make of them, and which of two winners alike in name
// gives the prize up.

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

    // The row the window shows at that place of the winner list.
    ForfeitRow rowAt(std::size_t group, std::size_t index) const {
        const WinnerGroup& g = run.progress().winners.at(group);
        return ForfeitRow{{group, index}, std::u16string(g.name()), g.entrants.at(index)};
    }
    // The row of the first winner of that prize with exactly that name.
    ForfeitRow rowOf(std::u16string_view prize, std::u16string_view winner) const {
        const WinnerList& winners = run.progress().winners;
        for (std::size_t g = 0; g < winners.size(); ++g) {
            if (winners[g].name() != prize)
                continue;
            for (std::size_t i = 0; i < winners[g].entrants.size(); ++i)
                if (winners[g].entrants[i].text() == winner)
                    return rowAt(g, i);
        }
        ADD_FAILURE() << "no row for " << u8(winner) << " of " << u8(prize);
        return {};
    }
    // The operator selects the row, presses "弃奖(&D)" and answers Yes.
    bool forfeit(const ForfeitRow& row, bool backToPool = false) {
        messages.answers = {MessageAnswer::Yes};
        return forfeitWinner(run, messages, &owner, row, backToPool);
    }
    bool forfeit(std::u16string_view prize, std::u16string_view winner, bool backToPool = false) {
        return forfeit(rowOf(prize, winner), backToPool);
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

    ASSERT_TRUE(forfeit(u"A", only));
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
        const Entrant gone = other.run.progress().winners[0].entrants[0];
        ASSERT_TRUE(forfeitWinner(other.run, box, nullptr, ForfeitRow{{0, 0}, u"A", gone}, false));
        for (const Entrant& e : other.run.progress().pool)
            EXPECT_NE(e.text(), gone.text());
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

// Names alike are different people: two "张伟" of a text list, or "Wang.jpg" and "wang.jpg" of a picture list
// (different files, different keys). The row's place decides who forfeits, and the slot emptied on screen is
// the one showing that very winner, whoever else shares the name.
TEST_F(ForfeitTest, TheChosenRowForfeitsAndEmptiesItsOwnSlotAmongNamesAlike) {
    struct Step {
        std::size_t row; // in the prize's group, as the table lists it now
        std::u16string slots;
    };
    struct Case {
        const char* what;
        std::int32_t mode;
        std::initializer_list<std::u16string_view> names;
        int quota;
        int perDraw;
        int presses;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"the same name twice in one press", 0, {u"张伟", u"张伟"}, 2, 2, 1, {{1, u".x"}, {0, u"xx"}}},
        {"the same name in an earlier press and on screen",
         0,
         {u"张伟", u"张伟"},
         2,
         1,
         2,
         {{0, u"."}, {0, u"x"}}},
        {"photos differing in case only", 1, {u"Wang.jpg", u"wang.jpg"}, 2, 2, 1, {{1, u".x"}, {0, u"xx"}}},
        {"photos differing in case, the second row first",
         1,
         {u"wang.jpg", u"Wang.jpg", u"WANG.jpg"},
         3,
         3,
         1,
         {{2, u"..x"}, {0, u"x.x"}, {0, u"xxx"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DrawFixture draw;
        draw.drawMode = c.mode;
        (c.mode ? draw.pictureList : draw.textList) = entrantsNamed(c.names);
        draw.prizes = {makePrize(u"P", c.quota, c.perDraw)};
        draw.run.startDraw();
        for (int i = 0; i < c.presses; ++i)
            draw.press();
        const std::array<Entrant, kMaxShown> slots = draw.run.progress().shownEntrants;

        for (const Step& step : c.steps) {
            const DrawProgress before = draw.run.progress();
            const Entrant chosen = before.winners[0].entrants[step.row];
            EntrantList expected = before.winners[0].entrants;
            expected.erase(expected.begin() + std::ptrdiff_t(step.row));
            messages.answers = {MessageAnswer::Yes};
            ASSERT_TRUE(
                forfeitWinner(draw.run, messages, &owner, ForfeitRow{{0, step.row}, u"P", chosen}, false));

            const DrawProgress& after = draw.run.progress();
            EXPECT_EQ(names(after.winners.empty() ? EntrantList{} : after.winners[0].entrants),
                      names(expected))
                << "row " << step.row;
            std::u16string marks;
            for (int i = 0; i < after.shownCount; ++i)
                marks += after.slotForfeited[std::size_t(i)] ? u'x' : u'.';
            EXPECT_EQ(marks, step.slots) << "row " << step.row;
            for (int i = 0; i < after.shownCount; ++i) {
                if (after.slotForfeited[std::size_t(i)] && !before.slotForfeited[std::size_t(i)]) {
                    EXPECT_EQ(slots[std::size_t(i)].text(), chosen.text())
                        << "slot " << i << " showed another";
                }
            }
            EXPECT_EQ(after.drawnCount, before.drawnCount - 1);
            EXPECT_EQ(draw.host.saved.back().slotForfeited, after.slotForfeited) << "saved as it shows";
            EXPECT_EQ(names(draw.host.saved.back().winners.empty()
                                ? EntrantList{}
                                : draw.host.saved.back().winners[0].entrants),
                      names(expected));
        }
        EXPECT_TRUE(draw.run.progress().winners.empty());
    }
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
    EXPECT_FALSE(forfeitWinner(run, messages, &owner, rowOf(u"P", winner), true));
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Question);
    unchanged("answered No");

    host.failSave = true;
    const ForfeitRow row = rowOf(u"P", winner);
    EXPECT_FALSE(forfeit(row, true));
    EXPECT_EQ(messages.lastText(), u"弃奖失败:\n" + host.saveError);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    unchanged("failed save");
    host.failSave = false;

    run.advanceDraw(); // names scroll
    const std::size_t asked = messages.shown.size();
    EXPECT_FALSE(forfeit(row));
    EXPECT_EQ(messages.lastText(), u"停止滚动后才可弃奖");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown.size(), asked + 1) << "no question while names scroll";
    run.advanceDraw();

    // A row that no longer matches the draw changes nothing, not even the count: a place past the end, a
    // place that now holds someone else (a name alike in letter case included), another prize's name.
    ASSERT_EQ(run.progress().winners[0].entrants.size(), 2u);
    const ForfeitRow second = rowAt(0, 1);
    ForfeitRow caseAlike = second;
    caseAlike.winner = makeEntrant(u"n" + winner.substr(1));
    ForfeitRow otherPrize = second;
    otherPrize.prizeName = u"p";
    const ForfeitRow stale[] = {ForfeitRow{{0, 2}, u"P", second.winner},
                                ForfeitRow{{1, 0}, u"P", second.winner},
                                ForfeitRow{{0, 1}, u"P", rowAt(0, 0).winner},
                                ForfeitRow{{0, 0}, u"P", caseAlike.winner},
                                otherPrize,
                                ForfeitRow{{0, 0}, u"P", makeEntrant(u"nobody")}};
    const int drawn = run.progress().drawnCount;
    const std::u16string winnersBefore = names(run.progress().winners[0].entrants);
    const std::size_t savesNow = host.saved.size();
    for (const ForfeitRow& r : stale) {
        SCOPED_TRACE(u8(r.winner.text()));
        EXPECT_FALSE(forfeit(r));
        EXPECT_EQ(run.progress().drawnCount, drawn);
        EXPECT_EQ(names(run.progress().winners[0].entrants), winnersBefore);
        EXPECT_EQ(host.saved.size(), savesNow);
    }
}

} // namespace
} // namespace kelvora::test
