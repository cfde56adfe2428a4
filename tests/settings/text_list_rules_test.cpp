// The text list editor's rules without its window: the order of the sorts, what a running draw locks, and
// the order in which picked entries are handed on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/text_list_rules.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

TEST(TextListRulesTest, SortsFoldLetterCaseAndPutAPrefixFirst) {
    EntrantList list = entrantsNamed({u"bob", u"张三", u"Alice", u"ab", u"Carl", u"alice2", u"李四", u"007"});
    ASSERT_TRUE(sortEntrants(list, SortOrder::Ascending));
    // Digits before letters, case folded ("ab" < "Alice" < "alice2" < "bob"), Chinese by code point
    // (张 U+5F20 before 李 U+674E) and after every ASCII name.
    EXPECT_EQ(namesOf(list),
              (std::vector<std::string>{"007", "ab", "Alice", "alice2", "bob", "Carl", "张三", "李四"}));

    ASSERT_TRUE(sortEntrants(list, SortOrder::Descending));
    EXPECT_EQ(namesOf(list),
              (std::vector<std::string>{"李四", "张三", "Carl", "bob", "alice2", "Alice", "ab", "007"}));

    // Compared unfolded, "Zed" (Z is 0x5A) would come before "_x" (0x5F); folded, z is 0x7A.
    list = entrantsNamed({u"_x", u"Zed"});
    ASSERT_TRUE(sortEntrants(list, SortOrder::Ascending));
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"_x", "Zed"}));
}

TEST(TextListRulesTest, FewerThanTwoEntriesAreNeverReordered) {
    EntrantList none;
    EXPECT_FALSE(sortEntrants(none, SortOrder::Ascending));
    EntrantList one = entrantsNamed({u"solo"});
    EXPECT_FALSE(sortEntrants(one, SortOrder::Descending));
    EXPECT_FALSE(mayReorder(1));
    EXPECT_TRUE(mayReorder(2));
}

TEST(TextListRulesTest, ARunningDrawLocksEverythingButExport) {
    const TextListActions idle = textListActions(false);
    EXPECT_TRUE(idle.reorder && idle.reimport && idle.exportList);
    const TextListActions drawing = textListActions(true);
    EXPECT_FALSE(drawing.reorder);
    EXPECT_FALSE(drawing.reimport);
    EXPECT_TRUE(drawing.exportList);
}

TEST(TextListRulesTest, PickedEntriesComeInRowOrderOnceEach) {
    const EntrantList list = entrantsNamed({u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"});
    EXPECT_EQ(namesOf(selectedEntrants(list, {5, 2})), (std::vector<std::string>{"r2", "r5"}));
    // A row reported twice (a selection made of two overlapping ranges) and rows past the end.
    EXPECT_EQ(namesOf(selectedEntrants(list, {4, 0, 4, 9, -1})), (std::vector<std::string>{"r0", "r4"}));
    EXPECT_TRUE(selectedEntrants(list, {}).empty());
    // Copies keep the stored key, which the black and white lists match by.
    const EntrantList picked = selectedEntrants(list, {3});
    EXPECT_EQ(picked.at(0).nameKey, list[3].nameKey);
}

TEST(TextListRulesTest, ABareExportNameGetsTheTextExtension) {
    EXPECT_EQ(withTextExtension("/tmp/名单"), std::filesystem::path("/tmp/名单.txt"));
    EXPECT_EQ(withTextExtension("/tmp/名单.csv"), std::filesystem::path("/tmp/名单.csv"));
    EXPECT_EQ(withTextExtension("/tmp/名单.txt"), std::filesystem::path("/tmp/名单.txt"));
}

} // namespace
} // namespace kelvora::test
