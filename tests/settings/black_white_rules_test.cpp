// The black and white list editor's rules, stepped through on a draft with the state checked after each step.

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "records/byte_io.h"
#include "settings/black_white_rules.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

Entrant entrant(std::u16string_view name, std::int32_t winOrder = 0) {
    Entrant e = makeEntrant(name);
    e.winOrder = winOrder;
    return e;
}

std::vector<std::int32_t> orders(const EntrantList& list) {
    std::vector<std::int32_t> out;
    for (const Entrant& e : list)
        out.push_back(e.winOrder);
    return out;
}

PrizeList onePrize(EntrantList white = {}, EntrantList black = {}) {
    PrizeList prizes(1);
    setField(prizes[0].name, u"一等奖");
    prizes[0].whiteList = std::move(white);
    prizes[0].blackList = std::move(black);
    return prizes;
}

TEST(BlackWhiteRules, AddingChecksTheOtherListFirstAndSkipsWhatIsThere) {
    PrizeList prizes = onePrize(entrantsNamed({u"张三"}), entrantsNamed({u"李四"}));
    BlackWhiteListDraft draft(prizes[0], prizes);

    // One of three is black-listed: none of them is added, and the message names that one.
    auto r = draft.add(ListSide::White, entrantsNamed({u"王五", u"李四", u"赵六"}));
    ASSERT_TRUE(r.refusal);
    EXPECT_EQ(u8(r.refusal->text), u8(u"操作失败：\n已是黑名单不可添加到白名单\n李四"));
    EXPECT_EQ(r.refusal->icon, MessageIcon::Error);
    EXPECT_EQ(namesOf(draft.white()), (std::vector<std::string>{"张三"}));
    EXPECT_FALSE(draft.changed());

    // An entrant already white is skipped silently; the others are appended in picker order with win order
    // 0, a double pick once.
    EntrantList picked = {entrant(u"王五", 7), entrant(u"张三", 3), entrant(u"赵六"), entrant(u"王五")};
    r = draft.add(ListSide::White, picked);
    EXPECT_FALSE(r.refusal);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(namesOf(draft.white()), (std::vector<std::string>{"张三", "王五", "赵六"}));
    EXPECT_EQ(orders(draft.white()), (std::vector<std::int32_t>{0, 0, 0}));
    EXPECT_TRUE(draft.changed());

    // The black list's own message; a white entrant blocks the whole pick.
    r = draft.add(ListSide::Black, entrantsNamed({u"孙七", u"赵六"}));
    ASSERT_TRUE(r.refusal);
    EXPECT_EQ(u8(r.refusal->text), u8(u"操作失败：\n已是白名单不可添加到黑名单\n赵六"));
    EXPECT_EQ(namesOf(draft.black()), (std::vector<std::string>{"李四"}));

    // Names that differ only in case have different keys: one may be white and the other black.
    r = draft.add(ListSide::White, entrantsNamed({u"Anna"}));
    ASSERT_EQ(r.added, 1);
    r = draft.add(ListSide::Black, EntrantList{entrant(u"ANNA", 5)});
    EXPECT_FALSE(r.refusal);
    EXPECT_EQ(namesOf(draft.black()), (std::vector<std::string>{"李四", "ANNA"}));
    EXPECT_EQ(draft.black().back().winOrder, 0);

    // Nothing picked, or only entrants already there: no message, nothing changes.
    const EntrantList before = draft.black();
    EXPECT_FALSE(draft.add(ListSide::Black, EntrantList{}).refusal);
    r = draft.add(ListSide::Black, entrantsNamed({u"李四"}));
    EXPECT_FALSE(r.refusal);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(namesOf(draft.black()), namesOf(before));

    // The prize itself is untouched until written back.
    EXPECT_EQ(prizes[0].whiteList.size(), 1u);
    draft.writeBack(prizes[0]);
    EXPECT_EQ(namesOf(prizes[0].whiteList), (std::vector<std::string>{"张三", "王五", "赵六", "Anna"}));
    EXPECT_EQ(namesOf(prizes[0].blackList), (std::vector<std::string>{"李四", "ANNA"}));
}

EntrantList numbered(int count, std::u16string_view prefix) {
    EntrantList list;
    list.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        list.push_back(makeEntrant(std::u16string(prefix) + fromUtf8(std::to_string(i))));
    return list;
}

TEST(BlackWhiteRules, AdditionsThatWouldMakeThePrizeFileUnreadableAreRefused) {
    // A list may hold 30000 entries; the file reader rejects one more, and with it every prize.
    PrizeList prizes = onePrize(numbered(29999, u"w"));
    {
        BlackWhiteListDraft draft(prizes[0], prizes);
        auto r = draft.add(ListSide::White, numbered(2, u"new"));
        ASSERT_TRUE(r.refusal);
        EXPECT_NE(u8(r.refusal->text).find("30000"), std::string::npos) << u8(r.refusal->text);
        EXPECT_EQ(draft.white().size(), 29999u);
        EXPECT_FALSE(draft.changed());
        // Picking one already there and one new still fits.
        EntrantList picked = {prizes[0].whiteList[5], makeEntrant(u"new0")};
        r = draft.add(ListSide::White, picked);
        EXPECT_FALSE(r.refusal);
        EXPECT_EQ(draft.white().size(), 30000u);
    }

    // The file's size counts every prize's lists; the edited prize's own lists only once.
    PrizeList two = onePrize();
    two.push_back(two[0]);
    setField(two[1].name, u"二等奖");
    two[1].whiteList = numbered(30000, u"x");
    BlackWhiteListDraft draft(two[0], two);
    EXPECT_EQ(draft.prizeFileBytes(), prizeFileBytes(two));
    const std::uint64_t room = (kPrizeFileBytesLimit - 1 - draft.prizeFileBytes()) / sizeof(Entrant);
    ASSERT_GT(room, 1u);
    auto r = draft.add(ListSide::Black, numbered(int(room) + 1, u"b"));
    ASSERT_TRUE(r.refusal);
    EXPECT_NE(u8(r.refusal->text).find("8388608"), std::string::npos) << u8(r.refusal->text);
    EXPECT_TRUE(draft.black().empty());
    r = draft.add(ListSide::Black, numbered(int(room), u"b"));
    ASSERT_FALSE(r.refusal);
    EXPECT_EQ(std::uint64_t(r.added), room);
    draft.writeBack(two[0]);
    EXPECT_LT(prizeFileBytes(two), kPrizeFileBytesLimit);
    EXPECT_EQ(BlackWhiteListDraft(two[0], two).prizeFileBytes(), prizeFileBytes(two));

    // A prize that is not (yet) in the list counts with its own block.
    PrizeItem loose = two[0];
    EXPECT_EQ(BlackWhiteListDraft(loose, two).prizeFileBytes(),
              prizeFileBytes(two) + 1056 + 0 + sizeof(Entrant) * loose.blackList.size());
    EXPECT_TRUE(BlackWhiteListDraft(loose, two).add(ListSide::White, numbered(1, u"z")).refusal);
}

TEST(BlackWhiteRules, DeleteClearAndSort) {
    PrizeList prizes =
        onePrize({entrant(u"b", 2), entrant(u"C"), entrant(u"a", 1), entrant(u"d")}, entrantsNamed({u"x"}));
    BlackWhiteListDraft draft(prizes[0], prizes);

    // A one-entry list, an empty list: a header click or a clear changes nothing and marks nothing.
    EXPECT_FALSE(draft.sort(ListSide::Black, BlackWhiteListDraft::SortKey::Name));
    EXPECT_FALSE(draft.changed());

    EXPECT_TRUE(draft.sort(ListSide::White, BlackWhiteListDraft::SortKey::Name));
    EXPECT_EQ(namesOf(draft.white()), (std::vector<std::string>{"a", "b", "C", "d"}));
    EXPECT_TRUE(draft.changed());
    EXPECT_TRUE(draft.sort(ListSide::White, BlackWhiteListDraft::SortKey::WinOrder));
    EXPECT_EQ(orders(draft.white()), (std::vector<std::int32_t>{0, 0, 1, 2}));
    EXPECT_EQ(namesOf(draft.white()).back(), "b");

    // Several rows at once, in any order, repeats and strays ignored.
    EXPECT_EQ(draft.remove(ListSide::White, {3, 0, 3, 99, -1}), 2);
    EXPECT_EQ(namesOf(draft.white()), (std::vector<std::string>{"d", "a"}));
    EXPECT_EQ(draft.remove(ListSide::White, {}), 0);

    EXPECT_TRUE(draft.clear(ListSide::Black));
    EXPECT_TRUE(draft.black().empty());
    EXPECT_FALSE(draft.clear(ListSide::Black));
    EXPECT_EQ(namesOf(draft.white()), (std::vector<std::string>{"d", "a"}));
}

TEST(BlackWhiteRules, WinOrders) {
    PrizeList prizes = onePrize({entrant(u"a"), entrant(u"b"), entrant(u"c", 2)});
    BlackWhiteListDraft draft(prizes[0], prizes);

    // Two entries may share 0; a taken order is refused, an entrant's own order accepted.
    auto check = draft.checkWinOrder(0, u"0");
    EXPECT_FALSE(check.refusal);
    check = draft.checkWinOrder(0, u"2");
    ASSERT_TRUE(check.refusal);
    EXPECT_EQ(u8(check.refusal->text), u8(u"此中奖次序已存在"));
    EXPECT_EQ(check.refusal->icon, MessageIcon::Warning);
    check = draft.checkWinOrder(2, u"2");
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.value, 2);

    // What is not an unsigned number reads as random order; blanks around a number are ignored.
    for (std::u16string_view typed : {u"abc", u"-5", u"", u"3x", u"+4"})
        EXPECT_EQ(draft.checkWinOrder(0, typed).value, 0) << u8(typed);
    EXPECT_EQ(draft.checkWinOrder(0, u" 7\u3000").value, 7);
    EXPECT_EQ(draft.checkWinOrder(0, u"30000").value, 30000);

    // Orders that can never apply, and those that would wrap negative in the file, are refused, not stored.
    for (std::u16string_view typed : {u"30001", u"2147483648", u"4294967296", u"99999999999999999999999"}) {
        check = draft.checkWinOrder(0, typed);
        ASSERT_TRUE(check.refusal) << u8(typed);
        EXPECT_NE(u8(check.refusal->text).find("30000"), std::string::npos);
    }
    EXPECT_FALSE(draft.changed());

    draft.setWinOrder(0, 30000);
    draft.setWinOrder(1, 1);
    EXPECT_TRUE(draft.changed());
    EXPECT_EQ(u8(winOrderText(draft.white()[1].winOrder)), "1");
    EXPECT_EQ(u8(winOrderText(0)), u8(u"0=次序随机"));

    // What the editor stores reads back from the prize file.
    draft.writeBack(prizes[0]);
    ByteWriter out;
    writePrizeList(out, prizes);
    ByteReader in(out.bytes());
    PrizeList back;
    ASSERT_TRUE(readPrizeList(in, back));
    EXPECT_EQ(orders(back[0].whiteList), (std::vector<std::int32_t>{30000, 1, 2}));
}

} // namespace
} // namespace kelvora::test
