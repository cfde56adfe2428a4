// Uniformity of the shuffle, the frames and the pool arrangement over many clock seeds. Seeds come from a
// fixed-seed engine, so the tests are deterministic; the threshold is the chi-square quantile at p = 0.001.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "draw_fixture.h"

namespace kelvora::test {
namespace {

// Wilson-Hilferty approximation of the chi-square quantile for p = 0.001 (z = 3.0902).
double chiSquareLimit(int degrees) {
    const double k = degrees;
    const double t = 1.0 - 2.0 / (9.0 * k) + 3.0902 * std::sqrt(2.0 / (9.0 * k));
    return k * t * t * t;
}

template <typename Key> double chiSquare(const std::map<Key, int>& counts, int categories, int trials) {
    const double expected = static_cast<double>(trials) / categories;
    double sum = 0;
    int seen = 0;
    for (const auto& [key, n] : counts) {
        sum += (n - expected) * (n - expected) / expected;
        ++seen;
    }
    sum += (categories - seen) * expected; // categories that never occurred
    return sum;
}

TEST(StatisticsTest, ShuffleGivesEveryPermutationEqualOdds) {
    std::mt19937_64 seeds(20261207);
    FakeClock clock;
    Random15 random(clock);
    const int trials = 48000;
    std::map<std::u16string, int> counts;
    for (int t = 0; t < trials; ++t) {
        clock.seconds = static_cast<std::int64_t>(seeds() % 4'000'000'000ULL);
        EntrantList e = makeNames(4);
        shuffleEntrants(e, random);
        ++counts[names(e)];
    }
    EXPECT_EQ(counts.size(), 24u);
    EXPECT_LT(chiSquare(counts, 24, trials), chiSquareLimit(23));
}

TEST(StatisticsTest, FramesShowEveryEntrantAndPairEqually) {
    DrawFixture f;
    f.prizes = {makePrize(u"A", 3, 3)};
    f.textList = makeNames(10);
    f.run.startDraw();
    f.run.advanceDraw();
    const int frames = 45000;
    std::map<std::u16string, int> firstSlot, lastSlot;
    std::map<std::u16string, int> pairs;
    for (int i = 0; i < frames; ++i) {
        f.run.scrollTimerTick();
        const auto& s = f.run.progress().shownEntrants;
        ++firstSlot[std::u16string(s[0].text())];
        ++lastSlot[std::u16string(s[2].text())];
        ++pairs[std::u16string(s[0].text()) + u"|" + std::u16string(s[1].text())];
    }
    EXPECT_LT(chiSquare(firstSlot, 10, frames), chiSquareLimit(9));
    EXPECT_LT(chiSquare(lastSlot, 10, frames), chiSquareLimit(9));
    EXPECT_LT(chiSquare(pairs, 90, frames), chiSquareLimit(89));
}

TEST(StatisticsTest, BlackListedWinnerTakesARandomPlace) {
    // Pool 8, two black-listed, quota 7: exactly one of the two wins, each half of the time, at each of the
    // seven places equally often.
    std::mt19937_64 seeds(7);
    const int trials = 14000;
    std::map<int, int> place;
    std::map<std::u16string, int> which;
    for (int t = 0; t < trials; ++t) {
        DrawFixture f;
        f.clock.seconds = static_cast<std::int64_t>(seeds() % 4'000'000'000ULL);
        f.prizes = {makePrize(u"A", 7, 7)};
        f.textList = makeNames(8);
        f.prizes[0].blackList = {f.textList[1], f.textList[6]};
        f.run.startDraw();
        int black = 0;
        for (int i = 0; i < 7; ++i) {
            const std::u16string_view n = f.run.progress().pool[static_cast<std::size_t>(i)].text();
            if (n == u"N1" || n == u"N6") {
                ++black;
                ++place[i];
                ++which[std::u16string(n)];
            }
        }
        ASSERT_EQ(black, 1);
    }
    EXPECT_LT(chiSquare(place, 7, trials), chiSquareLimit(6));
    EXPECT_LT(chiSquare(which, 2, trials), chiSquareLimit(1));
}

TEST(StatisticsTest, RandomWhiteEntrantsWinEqually) {
    std::mt19937_64 seeds(99);
    const int trials = 10000;
    std::map<std::u16string, int> wins;
    for (int t = 0; t < trials; ++t) {
        DrawFixture f;
        f.clock.seconds = static_cast<std::int64_t>(seeds() % 4'000'000'000ULL);
        f.prizes = {makePrize(u"A", 3, 3)};
        f.textList = makeNames(30);
        for (int i = 0; i < 10; ++i)
            f.prizes[0].whiteList.push_back(f.textList[static_cast<std::size_t>(i)]);
        f.run.startDraw();
        for (int i = 0; i < 3; ++i)
            ++wins[std::u16string(f.run.progress().pool[static_cast<std::size_t>(i)].text())];
    }
    EXPECT_EQ(wins.size(), 10u);
    EXPECT_LT(chiSquare(wins, 10, trials * 3), chiSquareLimit(9));
}

} // namespace
} // namespace kelvora::test
