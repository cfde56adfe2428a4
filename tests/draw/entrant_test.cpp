#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "draw/draw_progress.h"
#include "records/entrant.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

TEST(EntrantTest, RecordIsTheOnDiskImage) {
    Entrant e = makeEntrant(u"abc");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&e);
    EXPECT_EQ(bytes[0], 0x61);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[4], 0x63);
    EXPECT_EQ(bytes[6], 0x00);
    std::int32_t key = 0;
    std::memcpy(&key, bytes + 256, 4);
    EXPECT_EQ(key, 102114864);
}

TEST(EntrantTest, NameKeyIsTheMaskedElfHashOfUtf16Bytes) {
    EXPECT_EQ(computeNameKey(u""), 0);
    EXPECT_EQ(computeNameKey(u"abc"), 102114864);
    EXPECT_NE(computeNameKey(u"Abc"), computeNameKey(u"abc"));
    // Long names exercise the high-nibble folding; the result always stays within 31 bits.
    const std::u16string longName(127, u'张');
    EXPECT_GE(computeNameKey(longName), 0);
    // Everything after the terminator is ignored.
    EXPECT_EQ(computeNameKey(std::u16string_view(u"abc\0xyz", 7)), 102114864);
}

TEST(EntrantTest, OverlongNamesAreCutAt127UnitsAndTerminated) {
    const std::u16string longName(500, u'x');
    const Entrant e = makeEntrant(longName);
    EXPECT_EQ(e.text().size(), 127u);
    EXPECT_EQ(e.name[127], 0);
    EXPECT_EQ(e.nameKey, computeNameKey(std::u16string(127, u'x')));
}

TEST(EntrantTest, SamenessNeedsEqualKeysAndCaseFoldedNames) {
    const Entrant upper = makeEntrant(u"Abc");
    const Entrant lower = makeEntrant(u"abc");
    EXPECT_FALSE(sameEntrant(upper, lower)); // different keys: two entrants
    Entrant sameKeyOtherCase = lower;
    setField(sameKeyOtherCase.name, u"ABC");
    EXPECT_TRUE(sameEntrant(lower, sameKeyOtherCase));
    Entrant withOrder = lower;
    withOrder.winOrder = 7;
    EXPECT_TRUE(sameEntrant(lower, withOrder));
}

TEST(EntrantTest, FindEntrantSearchesTheKeyRangeOnly) {
    EntrantList list{makeEntrant(u"Abc"), makeEntrant(u"abc"), makeEntrant(u"x"), makeEntrant(u"y")};
    // Two names sharing a key: a collision the search must resolve by name.
    Entrant collide = makeEntrant(u"zz");
    collide.nameKey = list[2].nameKey;
    list.push_back(collide);
    std::sort(list.begin(), list.end(),
              [](const Entrant& a, const Entrant& b) { return a.nameKey < b.nameKey; });

    const int at = findEntrant(list, makeEntrant(u"abc"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(list[static_cast<std::size_t>(at)].text(), u"abc");
    const int z = findEntrant(list, collide);
    ASSERT_GE(z, 0);
    EXPECT_EQ(list[static_cast<std::size_t>(z)].text(), u"zz");
    EXPECT_EQ(findEntrant(list, makeEntrant(u"nobody")), -1);
    EXPECT_EQ(findEntrant(EntrantList{}, makeEntrant(u"x")), -1);
}

TEST(WinnerListTest, GroupsByPrizeIgnoringCaseInOrderOfFirstWin) {
    WinnerList winners;
    addWinner(winners, u"Prize", makeEntrant(u"x"));
    addWinner(winners, u"Other", makeEntrant(u"z"));
    addWinner(winners, u"PRIZE", makeEntrant(u"y"));
    ASSERT_EQ(winners.size(), 2u);
    EXPECT_EQ(winners[0].name(), u"Prize");
    ASSERT_EQ(winners[0].entrants.size(), 2u);
    EXPECT_EQ(winners[0].entrants[0].text(), u"x");
    EXPECT_EQ(winners[0].entrants[1].text(), u"y");
    EXPECT_EQ(winnerCount(winners, u""), 3);
    EXPECT_EQ(winnerCount(winners, u"prize"), 2);
    EXPECT_EQ(winnerCount(winners, u"none"), 0);
    EXPECT_EQ(lastGroupName(winners), u"Other");
    EXPECT_EQ(lastGroupName(WinnerList{}), u"");
}

TEST(WinnerListTest, RemoveFromPoolTakesOnlyTheFirstCopy) {
    EntrantPool pool{makeEntrant(u"a"), makeEntrant(u"dup"), makeEntrant(u"b"), makeEntrant(u"dup")};
    removeFromPool(pool, makeEntrant(u"dup"));
    ASSERT_EQ(pool.size(), 3u);
    EXPECT_EQ(pool[1].text(), u"b");
    EXPECT_EQ(pool[2].text(), u"dup");
    removeFromPool(pool, makeEntrant(u"nobody"));
    EXPECT_EQ(pool.size(), 3u);
}

} // namespace
} // namespace kelvora
