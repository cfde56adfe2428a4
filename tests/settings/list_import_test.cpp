// The import's rules on pasted text: reading lines, splitting columns, padding and joining, duplicates, the
// limit and cancelling. Widths are counted as the editor's font measures them: a CJK character two cells,
// everything else one.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "settings/list_import.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using test::u8;

int cells(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text)
        width += c >= 0x2E80 ? 2 : 1;
    return width;
}

ImportResult importText(std::u16string_view text, ImportSettings settings = {}) {
    std::atomic<bool> cancel{false};
    return runImport(readImportLines(text).lines, settings, cells, cancel, {});
}

std::vector<std::u16string> names(const ImportResult& result) {
    std::vector<std::u16string> out;
    for (const Entrant& e : result.entries)
        out.emplace_back(e.text());
    return out;
}

ImportSettings aligned(std::initializer_list<ColumnAlign> aligns, std::u16string separator = u" ") {
    ImportSettings settings;
    int i = 0;
    for (ColumnAlign a : aligns)
        settings.aligns[i++] = a;
    settings.separator = std::move(separator);
    return settings;
}

TEST(ListImportAlign, LeftAlignedColumnsLineUpAcrossLines) {
    const ImportResult result =
        importText(u"张三\t销售部\r\n李小四\t人事\r\n", aligned({ColumnAlign::Left, ColumnAlign::Left}));
    ASSERT_EQ(result.entries.size(), 2u);
    EXPECT_EQ(u8(result.entries[0].text()), "张三   销售部");
    EXPECT_EQ(u8(result.entries[1].text()), "李小四 人事  ");
    EXPECT_TRUE(result.spaceAligned);
    // The key is that of the padded text, so the draw's one-win check sees exactly what is shown.
    EXPECT_EQ(result.entries[1].nameKey, computeNameKey(u"李小四 人事  "));
}

TEST(ListImportAlign, RightAndJustifyAndSeparators) {
    // Right alignment pads in front; justify spreads the spaces between characters, the first gaps first.
    EXPECT_EQ(
        names(importText(u"1\tA\n100\tBBB\n", aligned({ColumnAlign::Right, ColumnAlign::Justify}, u" - "))),
        (std::vector<std::u16string>{u"  1 - A  ", u"100 - BBB"}));
    EXPECT_EQ(alignCell(u"张三", ColumnAlign::Justify, 2), u"张  三");
    EXPECT_EQ(alignCell(u"abcd", ColumnAlign::Justify, 5), u"a  b  c d");
    EXPECT_EQ(alignCell(u"王", ColumnAlign::Justify, 2), u"王  ");
    EXPECT_EQ(alignCell(u"", ColumnAlign::Justify, 3), u"   ");
    EXPECT_EQ(alignCell(u"x", ColumnAlign::None, 3), u"x");
}

TEST(ListImportAlign, WithoutAlignmentColumnsAreOnlyJoined) {
    const ImportResult result = importText(u"张三\t销售部\n李小四\t人事\n", aligned({}, u"-"));
    EXPECT_EQ(names(result), (std::vector<std::u16string>{u"张三-销售部", u"李小四-人事"}));
    EXPECT_FALSE(result.spaceAligned);
}

TEST(ListImportAlign, EmptyColumnsAndSeparators) {
    // A column empty on every line is left out with its separator; an empty first cell adds no separator,
    // an empty later cell does.
    EXPECT_EQ(names(importText(u"a\t\tc\n", aligned({}, u"|"))), (std::vector<std::u16string>{u"a|c"}));
    EXPECT_EQ(names(importText(u"\tb\nx\ty\n", aligned({}, u"|"))),
              (std::vector<std::u16string>{u"b", u"x|y"}));
    EXPECT_EQ(names(importText(u"a\t\tc\nd\te\tf\n", aligned({}, u"|"))),
              (std::vector<std::u16string>{u"a||c", u"d|e|f"}));
}

TEST(ListImportLines, TabsCutTrimAndBlankLines) {
    ImportLine five{u"1\t2\t3\t4\t5", {}, {}};
    splitImportLine(five);
    EXPECT_EQ(five.columns[3], u"4 5");
    ImportLine padded{u"  a \t\u3000b\u3000\t", {}, {}};
    splitImportLine(padded);
    EXPECT_EQ(padded.columns[0], u"a");
    EXPECT_EQ(padded.columns[1], u"b");
    EXPECT_EQ(padded.columns[2], u"");

    const std::u16string longLine(70, u'x');
    const ImportLines read = readImportLines(u"\r\n  \t \n" + longLine + u"\rlast \u3000");
    ASSERT_EQ(read.lines.size(), 2u);
    EXPECT_EQ(read.lines[0].raw, std::u16string(60, u'x'));
    EXPECT_EQ(read.lines[1].raw, u"last \u3000"); // raw keeps its spacing; only the columns are trimmed
    EXPECT_FALSE(read.tooMany);

    // A tab beyond the cut does not make a column.
    ImportLine cut{std::u16string(59, u'y') + u"\tz", {}, {}};
    cut.raw = readImportLines(cut.raw).lines[0].raw;
    splitImportLine(cut);
    EXPECT_EQ(cut.columns[0].size(), 59u);
    EXPECT_EQ(cut.columns[1], u"");
}

TEST(ListImportLines, MoreThanThirtyThousandLinesKeepTheFirst) {
    std::u16string text;
    for (int i = 0; i < kMaxEntrants + 5; ++i)
        text += std::u16string(1, char16_t(0x4E00 + i)) + u"\n \n";
    const ImportLines read = readImportLines(text);
    EXPECT_TRUE(read.tooMany);
    ASSERT_EQ(read.lines.size(), static_cast<std::size_t>(kMaxEntrants));
    EXPECT_EQ(read.lines.back().raw, std::u16string(1, char16_t(0x4E00 + kMaxEntrants - 1)));
    // Exactly 30000 is no overflow.
    text.resize(text.size() - 5 * 4);
    EXPECT_FALSE(readImportLines(text).tooMany);
}

TEST(ListImportDuplicates, CaseVariantsAreDroppedAndReportedAsTyped) {
    TextNameList list;
    const ImportResult result = importText(u"Zhang San\n王五\nZHANG  SAN\nzhang san \n王五\n");
    EXPECT_EQ(names(result), (std::vector<std::u16string>{u"Zhang San", u"王五", u"ZHANG  SAN"}));
    EXPECT_EQ(result.duplicateCount, 2);
    EXPECT_EQ(u8(result.duplicateText), "zhang san \r\n王五\r\n");

    // Entries already in the list count as earlier lines.
    std::atomic<bool> cancel{false};
    const EntrantList existing{makeEntrant(u"王五")};
    const ImportResult again =
        runImport(readImportLines(u"王五\n赵六\n").lines, {}, cells, cancel, {}, existing);
    EXPECT_EQ(names(again), (std::vector<std::u16string>{u"赵六"}));
    applyImport(list, again);
    EXPECT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.spaceAligned, 0);
}

TEST(ListImportRun, ProgressCountsBothPassesAndCancelEmptiesTheList) {
    std::u16string text;
    for (int i = 0; i < 1000; ++i) {
        const std::string n = std::to_string(i);
        text += std::u16string(n.begin(), n.end()) + u"\n";
    }
    std::atomic<bool> cancel{false};
    std::vector<std::pair<int, int>> steps;
    const ImportResult done = runImport(readImportLines(text).lines, {}, cells, cancel,
                                        [&](int d, int t) { steps.emplace_back(d, t); });
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), std::make_pair(0, 2000));
    EXPECT_EQ(steps.back(), std::make_pair(2000, 2000));
    EXPECT_EQ(done.entries.size(), 1000u);

    // Cancelled in the middle of the second pass: the list ends empty and loses its padding mark.
    TextNameList list;
    list.entries.push_back(makeEntrant(u"left over"));
    list.spaceAligned = 1;
    const ImportResult cancelled = runImport(readImportLines(text).lines, {}, cells, cancel, [&](int d, int) {
        if (d >= 1300)
            cancel = true;
    });
    EXPECT_TRUE(cancelled.cancelled);
    applyImport(list, cancelled);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.spaceAligned, 0);

    // A finished import appends and marks padding.
    cancel = false;
    applyImport(list, importText(u"a\tb\nccc\td\n", aligned({ColumnAlign::Left})));
    EXPECT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.spaceAligned, 1);
}

} // namespace
} // namespace kelvora
