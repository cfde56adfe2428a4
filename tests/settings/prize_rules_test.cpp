#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "records/prizes.h"
#include "settings/prize_rules.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

using Outcome = PrizeActionCheck::Outcome;

PrizeItem prize(std::u16string_view name, int quota = 5, int perDraw = 1) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = quota;
    p.perDraw = perDraw;
    return p;
}

PrizeList namedPrizes(int count) {
    PrizeList list;
    for (int i = 0; i < count; ++i)
        list.push_back(prize(u"P" + fromUtf8(std::to_string(i))));
    return list;
}

std::string order(const PrizeList& prizes) {
    std::string out;
    for (const PrizeItem& p : prizes)
        out += (out.empty() ? "" : ",") + u8(p.nameText()).substr(1);
    return out;
}

PrizeFields typed(std::u16string name, std::u16string quota = u"", std::u16string perDraw = u"",
                  std::u16string perLine = u"", std::u16string fontSize = u"") {
    return PrizeFields{std::move(name),
                       std::move(quota),
                       std::move(perDraw),
                       std::move(perLine),
                       std::move(fontSize),
                       u"",
                       u""};
}

// What the operator gets for an action: "ok", "-" for nothing at all, or the refusal's text.
std::string verdict(PrizeAction action, std::vector<int> rows, int count, PrizeDrawState draw) {
    const PrizeActionCheck check = checkPrizeAction(action, rows, count, draw);
    switch (check.outcome) {
    case Outcome::Allowed:
        return "ok";
    case Outcome::Ignored:
        return "-";
    case Outcome::Refused:
        break;
    }
    return u8(check.message);
}

TEST(PrizeActions, DuringADrawDrawnPrizesStayAndTheCurrentOneOnlyTakesModify) {
    const PrizeDrawState draw{true, 2};
    const std::string moveRefused = "抽奖中...\n只能移动还未开始抽的奖项";
    // The current prize: modified (with its name and quota locked), never deleted or moved.
    EXPECT_EQ(verdict(PrizeAction::Modify, {2}, 6, draw), "ok");
    EXPECT_TRUE(prizeFieldsLocked(2, draw));
    EXPECT_EQ(verdict(PrizeAction::Delete, {2}, 6, draw), "抽奖中...\n只能删除还未开始抽的奖项");
    EXPECT_EQ(verdict(PrizeAction::MoveUp, {2}, 6, draw), moveRefused);
    EXPECT_EQ(verdict(PrizeAction::MoveDown, {2}, 6, draw), moveRefused);
    // The next one: deleted, moved down, but not moved up above the current prize.
    EXPECT_EQ(verdict(PrizeAction::Delete, {3}, 6, draw), "ok");
    EXPECT_EQ(verdict(PrizeAction::MoveUp, {3}, 6, draw), moveRefused);
    EXPECT_EQ(verdict(PrizeAction::MoveDown, {3}, 6, draw), "ok");
    EXPECT_EQ(verdict(PrizeAction::MoveUp, {4}, 6, draw), "ok");
    EXPECT_FALSE(prizeFieldsLocked(3, draw));
    // Drawn prizes: nothing; a selection is judged by its lowest row.
    EXPECT_EQ(verdict(PrizeAction::Modify, {0}, 6, draw), "抽奖中...\n只能修改还未抽或正在抽的奖项");
    EXPECT_EQ(verdict(PrizeAction::Modify, {1, 4}, 6, draw), "抽奖中...\n只能修改还未抽或正在抽的奖项");
    EXPECT_EQ(verdict(PrizeAction::Delete, {2, 5}, 6, draw), "抽奖中...\n只能删除还未开始抽的奖项");
    // The whole list is never reordered or emptied under a draw.
    EXPECT_EQ(verdict(PrizeAction::Reverse, {}, 6, draw), "抽奖结束后才可反序");
    EXPECT_EQ(verdict(PrizeAction::Clear, {}, 6, draw), "抽奖结束后才可清空");
}

TEST(PrizeActions, WithoutADrawOnlyTheSelectionAndTheEdgesMatter) {
    const PrizeDrawState idle{false, 0};
    const PrizeActionCheck modify = checkPrizeAction(PrizeAction::Modify, {}, 3, idle);
    EXPECT_EQ(modify.outcome, Outcome::Refused);
    EXPECT_EQ(modify.message, u"请先选中要修改的奖项");
    EXPECT_EQ(modify.icon, MessageIcon::Information);
    const PrizeActionCheck remove = checkPrizeAction(PrizeAction::Delete, {}, 3, idle);
    EXPECT_EQ(remove.message, u"请先选中要删除的奖项");
    EXPECT_EQ(remove.icon, MessageIcon::Information);
    EXPECT_EQ(verdict(PrizeAction::Modify, {0}, 3, idle), "ok");
    EXPECT_EQ(verdict(PrizeAction::Delete, {0, 1, 2}, 3, idle), "ok");
    EXPECT_EQ(verdict(PrizeAction::MoveUp, {}, 3, idle), "-");
    EXPECT_EQ(verdict(PrizeAction::MoveUp, {0, 2}, 3, idle), "-");
    EXPECT_EQ(verdict(PrizeAction::MoveDown, {0, 2}, 3, idle), "-");
    EXPECT_EQ(verdict(PrizeAction::MoveDown, {0, 1}, 3, idle), "ok");
    EXPECT_EQ(verdict(PrizeAction::Reverse, {}, 1, idle), "-");
    EXPECT_EQ(verdict(PrizeAction::Reverse, {}, 2, idle), "ok");
    EXPECT_EQ(verdict(PrizeAction::Clear, {}, 0, idle), "-");
    EXPECT_EQ(verdict(PrizeAction::Clear, {}, 1, idle), "ok");
    // Outside a draw the stale index of the last draw locks nothing.
    EXPECT_FALSE(prizeFieldsLocked(0, idle));
}

TEST(PrizeMoves, SelectedBlocksMoveAsBlocksAndTheSelectionFollows) {
    PrizeList prizes = namedPrizes(5);
    prizes[1].whiteList.push_back(makeEntrant(u"张三"));
    EXPECT_EQ(movePrizesUp(prizes, {3, 2}), (std::vector<int>{1, 2}));
    EXPECT_EQ(order(prizes), "0,2,3,1,4");
    // Each prize takes its own lists along.
    ASSERT_EQ(prizes[3].whiteList.size(), 1u);
    EXPECT_EQ(prizes[3].whiteList[0].text(), u"张三");

    EXPECT_EQ(movePrizesDown(prizes, {1, 2}), (std::vector<int>{2, 3}));
    EXPECT_EQ(order(prizes), "0,1,2,3,4");
    // Rows apart move each by one.
    EXPECT_EQ(movePrizesUp(prizes, {1, 3}), (std::vector<int>{0, 2}));
    EXPECT_EQ(order(prizes), "1,0,3,2,4");
    EXPECT_EQ(movePrizesDown(prizes, {0, 2}), (std::vector<int>{1, 3}));
    EXPECT_EQ(order(prizes), "0,1,2,3,4");
    // At an edge nothing moves, not even the rows that could.
    EXPECT_EQ(movePrizesUp(prizes, {0, 3}), (std::vector<int>{0, 3}));
    EXPECT_EQ(movePrizesDown(prizes, {1, 4}), (std::vector<int>{1, 4}));
    EXPECT_EQ(order(prizes), "0,1,2,3,4");

    removePrizes(prizes, {3, 0, 3, 9});
    EXPECT_EQ(order(prizes), "1,2,4");
}

TEST(PrizeFieldsReading, NumbersAreClampedInOrderWithoutAMessage) {
    const PrizeList none;
    PrizeEditResult r = readPrizeFields(typed(u"一等奖", u"3", u"10", u"9", u"200"), none, -1, false);
    ASSERT_TRUE(r.prize) << u8(r.refusal);
    EXPECT_EQ(r.prize->quota, 3);
    EXPECT_EQ(r.prize->perDraw, 3); // clamped to 50 first, then to the quota
    EXPECT_EQ(r.prize->perLine, 5);
    EXPECT_EQ(r.prize->fontSize, 125);

    // Only a name: the smallest of everything.
    r = readPrizeFields(typed(u"二等奖"), none, -1, false);
    ASSERT_TRUE(r.prize);
    EXPECT_EQ(r.prize->quota, 1);
    EXPECT_EQ(r.prize->perDraw, 1);
    EXPECT_EQ(r.prize->perLine, 1);
    EXPECT_EQ(r.prize->fontSize, 16);
    EXPECT_TRUE(r.prize->whiteList.empty());

    // Not a number reads as 0; too large a number stays large instead of wrapping to a negative one.
    r = readPrizeFields(typed(u"三等奖", u"99999999999", u"12a", u"-3", u" 40 "), none, -1, false);
    ASSERT_TRUE(r.prize);
    EXPECT_EQ(r.prize->quota, 30000);
    EXPECT_EQ(r.prize->perDraw, 1);
    EXPECT_EQ(r.prize->perLine, 1);
    EXPECT_EQ(r.prize->fontSize, 40);
    r = readPrizeFields(typed(u"四等奖", u"100", u"80"), none, -1, false);
    EXPECT_EQ(r.prize->perDraw, 50);
}

TEST(PrizeFieldsReading, NamesAreTrimmedAndCheckedInOrder) {
    PrizeList prizes{prize(u"Apple"), prize(u"Pear")};
    auto refusal = [&](std::u16string name, int own = -1) {
        return u8(readPrizeFields(typed(std::move(name)), prizes, own, false).refusal);
    };
    EXPECT_EQ(refusal(u" \u3000\t\u3000 "), "请输入奖项名称");
    EXPECT_EQ(refusal(u"\r\n全部奖项\u3000"), "不可命名为“全部奖项”");
    for (char16_t c : std::u16string(u"\\/:*?\"<>|"))
        EXPECT_EQ(refusal(std::u16string(u"奖") + c), "奖项名含非法字符") << u8(std::u16string(1, c));
    // Another prize's name in another case is taken; the prize's own name in another case is not.
    EXPECT_EQ(refusal(u"apple"), "此奖项已存在");
    EXPECT_EQ(refusal(u"APPLE", 1), "此奖项已存在");
    EXPECT_EQ(refusal(u"APPLE", 0), "");
    // The illegal characters are found before a duplicate.
    prizes.push_back(prize(u"a:b"));
    EXPECT_EQ(refusal(u"A:B"), "奖项名含非法字符");

    PrizeFields fields = typed(u"\u3000 特等奖 \t");
    fields.prizeText = u"\f 汽车一辆 \v";
    fields.imageFile = u" car.jpg ";
    const PrizeEditResult r = readPrizeFields(fields, prizes, -1, false);
    ASSERT_TRUE(r.prize);
    EXPECT_EQ(r.prize->nameText(), u"特等奖");
    EXPECT_EQ(fieldText(r.prize->prizeText), u"汽车一辆");
    EXPECT_EQ(fieldText(r.prize->imageFile), u" car.jpg ") << "the copied file's own name, spaces and all";

    // A pasted name longer than the record holds is cut to 127 units, not refused.
    const PrizeEditResult longName = readPrizeFields(typed(std::u16string(300, u'奖')), prizes, -1, false);
    ASSERT_TRUE(longName.prize);
    EXPECT_EQ(longName.prize->nameText().size(), 127u);
}

TEST(PrizeFieldsReading, TheCurrentPrizeKeepsItsNameAndQuota) {
    PrizeList prizes{prize(u"一等奖"), prize(u"二等奖", 4, 2)};
    // The draw counted winners against quota 4: a smaller quota or another name is not taken, and per draw
    // is clamped to the kept quota.
    const PrizeEditResult r = readPrizeFields(typed(u"Other", u"1", u"9", u"2", u"30"), prizes, 1, true);
    ASSERT_TRUE(r.prize) << u8(r.refusal);
    EXPECT_EQ(r.prize->nameText(), u"二等奖");
    EXPECT_EQ(r.prize->quota, 4);
    EXPECT_EQ(r.prize->perDraw, 4);
    EXPECT_EQ(r.prize->perLine, 2);
    EXPECT_EQ(r.prize->fontSize, 30);
}

TEST(PrizeAdding, AFullListOrAFullFileIsRefusedBeforeAnyField) {
    const std::filesystem::path file = "/data/参数设置(勿删)/奖项/_奖项设置.dat";
    PrizeList prizes = namedPrizes(255);
    EXPECT_FALSE(addPrizeRefusal(prizes, file));
    prizes.push_back(prize(u"last"));
    const auto full = addPrizeRefusal(prizes, file);
    ASSERT_TRUE(full);
    EXPECT_EQ(*full, u"最多256个奖项");

    // One full white list is just under the limit; a second one of almost the same size leaves no room for an
    // empty prize. The message names the file and the limit.
    PrizeList big(2);
    big[0].whiteList.assign(kMaxEntrants, makeEntrant(u"x"));
    big[1].whiteList.assign(1767, makeEntrant(u"y"));
    ASSERT_LT(prizeFileBytes(big), kPrizeFileBytesLimit);
    const auto tooLarge = addPrizeRefusal(big, file);
    ASSERT_TRUE(tooLarge);
    EXPECT_NE(tooLarge->find(u"8388608"), std::u16string::npos) << u8(*tooLarge);
    EXPECT_NE(tooLarge->find(u"_奖项设置.dat"), std::u16string::npos);
    big[1].whiteList.resize(1763);
    EXPECT_FALSE(addPrizeRefusal(big, file));
}

} // namespace
} // namespace kelvora::test
