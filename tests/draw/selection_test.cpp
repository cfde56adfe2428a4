// Who wins: frames, the stop, and the black and white lists while Caps Lock is on.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "draw/deck_order.h"
#include "draw_fixture.h"

namespace kelvora::test {
namespace {

class SelectionTest : public ::testing::Test, public DrawFixture {
protected:
    std::set<std::u16string> frame() const {
        std::set<std::u16string> out;
        for (int i = 0; i < run.progress().shownCount; ++i)
            out.insert(std::u16string(run.progress().shownEntrants[static_cast<std::size_t>(i)].text()));
        return out;
    }
    std::vector<std::u16string> winnersOf(int prize) const {
        std::vector<std::u16string> out;
        const std::u16string_view name = prizes[static_cast<std::size_t>(prize)].nameText();
        for (const WinnerGroup& g : run.progress().winners)
            if (g.name() == name)
                for (const Entrant& e : g.entrants)
                    out.emplace_back(e.text());
        return out;
    }
    bool inPool(std::u16string_view name) const {
        for (const Entrant& e : run.progress().pool)
            if (e.text() == name)
                return true;
        return false;
    }
};

// The deck as the rule states it: the dealt record itself is erased and appended.
std::vector<std::u16string> referenceFrames(EntrantList deck, int shown, Random15& random, int frames) {
    std::vector<std::u16string> out;
    for (int f = 0; f < frames; ++f) {
        std::vector<Entrant> slots;
        const std::size_t d = deck.size();
        for (std::size_t i = 0; i < static_cast<std::size_t>(shown); ++i) {
            const std::size_t j = static_cast<std::size_t>(random.next()) % (d - i);
            slots.push_back(deck[j]);
            const Entrant moved = deck[j];
            deck.erase(deck.begin() + static_cast<std::ptrdiff_t>(j));
            deck.push_back(moved);
        }
        out.push_back(names(slots));
    }
    return out;
}

TEST_F(SelectionTest, FramesDealExactlyAsMovingTheRecordsWould) {
    prizes = {makePrize(u"A", 50, 7)};
    textList = makeNames(40);
    run.startDraw();
    run.advanceDraw(); // reseeds, begins the press and deals the first frame

    FakeClock sameClock = clock;
    Random15 reference(sameClock);
    reference.reseedFromClock();
    const std::vector<std::u16string> expected = referenceFrames(run.scrollDeck(), 7, reference, 200);
    EXPECT_EQ(shown(), expected[0]);
    for (int f = 1; f < 200; ++f) {
        run.scrollTimerTick();
        ASSERT_EQ(shown(), expected[static_cast<std::size_t>(f)]) << "frame " << f;
    }
}

// Decks of every small size and a large one, dealt far past the point where the slots are packed again.
TEST(DeckOrderTest, DealsAsErasingAndAppendingThePositionWould) {
    std::mt19937 pick(7);
    for (const std::size_t size : {1u, 2u, 3u, 5u, 64u, 1000u}) {
        DeckOrder order;
        order.reset(size);
        std::vector<std::uint16_t> reference(size);
        for (std::size_t i = 0; i < size; ++i)
            reference[i] = static_cast<std::uint16_t>(i);
        for (int deal = 0; deal < 5000; ++deal) {
            const std::size_t reach = size - static_cast<std::size_t>(deal) % size;
            const std::size_t j = pick() % reach;
            const std::uint16_t expected = reference[j];
            reference.erase(reference.begin() + static_cast<std::ptrdiff_t>(j));
            reference.push_back(expected);
            ASSERT_EQ(order.dealAt(j), expected) << "deck of " << size << ", deal " << deal;
        }
        EXPECT_EQ(order.size(), size);
    }
}

TEST_F(SelectionTest, NoEntrantTwiceInAFrameAndEveryEntrantReachableAgain) {
    prizes = {makePrize(u"A", 5, 5)};
    textList = makeNames(5);
    run.startDraw();
    run.advanceDraw();
    std::set<std::u16string> firstSlots;
    for (int f = 0; f < 300; ++f) {
        EXPECT_EQ(frame().size(), 5u) << "a pool of exactly shownCount shows everyone every frame";
        firstSlots.insert(std::u16string(run.progress().shownEntrants[0].text()));
        run.scrollTimerTick();
    }
    EXPECT_EQ(firstSlots.size(), 5u) << "the slots change";

    DrawFixture big;
    big.prizes = {makePrize(u"A", 50, 50)};
    big.textList = makeNames(60);
    big.run.startDraw();
    big.run.advanceDraw();
    std::set<std::u16string> seen;
    for (int f = 0; f < 50; ++f) {
        std::set<std::u16string> one;
        for (int i = 0; i < 50; ++i)
            one.insert(std::u16string(big.run.progress().shownEntrants[static_cast<std::size_t>(i)].text()));
        ASSERT_EQ(one.size(), 50u);
        seen.insert(one.begin(), one.end());
        big.run.scrollTimerTick();
    }
    EXPECT_EQ(seen.size(), 60u) << "entries dealt at the end of the deck come back into reach";
}

TEST_F(SelectionTest, WithoutCapsLockTheLastFrameWins) {
    prizes = {makePrize(u"A", 3, 3)};
    textList = makeNames(10);
    // Lists present but Caps Lock off: the lists have no effect; a black-listed entrant can win.
    prizes[0].blackList = textList;
    run.startDraw();
    run.advanceDraw();
    run.scrollTimerTick();
    const std::u16string lastFrame = shown();
    run.advanceDraw();
    EXPECT_EQ(names(run.progress().winners.at(0).entrants), lastFrame);
    EXPECT_EQ(shown(), lastFrame);

    // Caps Lock on but the prize has no list entries: still the last frame.
    DrawFixture f;
    f.host.capsLock = true;
    f.prizes = {makePrize(u"A", 3, 3)};
    f.textList = makeNames(10);
    f.run.startDraw();
    f.run.advanceDraw();
    f.run.scrollTimerTick();
    const std::u16string frameNames = f.shown();
    f.run.advanceDraw();
    EXPECT_EQ(names(f.run.progress().winners.at(0).entrants), frameNames);
}

TEST_F(SelectionTest, FixedWinOrdersGiveTheirPresses) {
    host.capsLock = true;
    prizes = {makePrize(u"A", 2, 1)};
    textList = makeNames(30);
    Entrant second = textList[17];
    second.winOrder = 2;
    Entrant first = textList[4];
    first.winOrder = 1;
    prizes[0].whiteList = {second, first};
    run.startDraw();
    press();
    EXPECT_EQ(shown(), u"N4");
    press();
    EXPECT_EQ(shown(), u"N17");
    EXPECT_EQ(winnersOf(0), (std::vector<std::u16string>{u"N4", u"N17"}));
}

TEST_F(SelectionTest, OrderBeyondThePoolPutsTheEntrantLast) {
    prizes = {makePrize(u"A", 30, 5)};
    textList = makeNames(20);
    Entrant late = textList[3];
    late.winOrder = 50;
    prizes[0].whiteList = {late};
    run.startDraw();
    ASSERT_EQ(run.progress().pool.size(), 20u);
    EXPECT_EQ(run.progress().pool.back().text(), u"N3");
    for (const Entrant& e : run.progress().pool)
        EXPECT_EQ(e.winOrder, 0) << "marks and orders never stay in the pool";
}

TEST_F(SelectionTest, BlackListedWinOnlyWhenOthersRunOut) {
    for (int quota : {5, 6, 7, 8}) {
        DrawFixture f;
        f.host.capsLock = true;
        f.prizes = {makePrize(u"A", quota, quota)};
        f.textList = makeNames(8);
        f.prizes[0].blackList = {f.textList[2], f.textList[5]};
        f.run.startDraw();
        f.press();
        int black = 0;
        for (const Entrant& w : f.run.progress().winners.at(0).entrants)
            black += (w.text() == u"N2" || w.text() == u"N5") ? 1 : 0;
        EXPECT_EQ(black, std::max(0, quota - 6)) << "quota " << quota;
    }
}

TEST_F(SelectionTest, RandomWhiteEntrantsFillThePlacesAndTheRestStayInThePool) {
    host.capsLock = true;
    prizes = {makePrize(u"A", 3, 3), makePrize(u"B", 20, 20)};
    textList = makeNames(40);
    for (int i = 0; i < 10; ++i)
        prizes[0].whiteList.push_back(textList[static_cast<std::size_t>(i * 3)]);
    run.startDraw();
    press();
    const std::vector<std::u16string> won = winnersOf(0);
    ASSERT_EQ(won.size(), 3u);
    std::set<std::u16string> white;
    for (const Entrant& w : prizes[0].whiteList)
        white.emplace(w.text());
    for (const std::u16string& w : won)
        EXPECT_TRUE(white.count(w)) << u8(w);
    int whiteLeft = 0;
    for (const std::u16string& w : white)
        whiteLeft += inPool(w) ? 1 : 0;
    EXPECT_EQ(whiteLeft, 7);
}

TEST_F(SelectionTest, WhiteEntryForAnEarlierWinnerIsIgnored) {
    host.capsLock = true;
    prizes = {makePrize(u"A", 1, 1), makePrize(u"B", 3, 3)};
    textList = makeNames(10);
    run.startDraw();
    press();
    const Entrant earlier = run.progress().winners.at(0).entrants.at(0);
    Entrant ordered = earlier;
    ordered.winOrder = 1;
    prizes[1].whiteList = {ordered};
    run.advanceDraw(); // next prize: arranged with the white entry
    EXPECT_EQ(run.progress().pool.size(), 9u);
    press();
    for (const std::u16string& w : winnersOf(1))
        EXPECT_NE(w, earlier.text());
    EXPECT_EQ(winnerCount(run.progress().winners, u""), 4);
}

TEST_F(SelectionTest, CapsLockIsReadAtTheStop) {
    prizes = {makePrize(u"A", 2, 1)};
    textList = makeNames(30);
    Entrant pinned = textList[9];
    pinned.winOrder = 1;
    prizes[0].whiteList = {pinned};
    run.startDraw();
    run.advanceDraw();
    host.capsLock = true; // switched on while the names scroll
    run.advanceDraw();
    EXPECT_EQ(shown(), u"N9");
}

TEST_F(SelectionTest, DuplicatedListEntriesNeverCreateEntrants) {
    prizes = {makePrize(u"A", 10, 10)};
    textList = makeNames(6);
    textList.push_back(textList[1]); // the same line twice in the name list
    prizes[0].blackList = {textList[1], textList[1]};
    run.startDraw();
    EXPECT_EQ(run.progress().pool.size(), 7u);
}

} // namespace
} // namespace kelvora::test
