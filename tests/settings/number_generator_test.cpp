// The number series: its clamps, formatting, the unlucky filter and the 30000 limit.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "settings/number_generator.h"

namespace kelvora {
namespace {

std::vector<std::u16string> numbers(std::int32_t start, std::int32_t end, std::int32_t step,
                                    std::u16string filter = {}) {
    NumberSeries series;
    series.start = start;
    series.end = end;
    series.step = step;
    series.fixedWidth = false;
    series.unluckyFilter = std::move(filter);
    return generateNumbers(series).lines;
}

TEST(NumberGenerator, DefaultSeriesIsOddNumbersPaddedToThreeDigits) {
    const GeneratedNumbers out = generateNumbers(NumberSeries{});
    ASSERT_EQ(out.lines.size(), 259u);
    EXPECT_EQ(out.lines.front(), u"001");
    EXPECT_EQ(out.lines[4], u"009");
    EXPECT_EQ(out.lines.back(), u"517");
    EXPECT_FALSE(out.limitReached);

    NumberSeries zero;
    zero.start = 0;
    zero.end = 3;
    zero.width = 4;
    zero.prefix = u"A-";
    zero.suffix = u"号";
    EXPECT_EQ(generateNumbers(zero).lines, (std::vector<std::u16string>{u"A-0000号", u"A-0002号"}));
}

TEST(NumberGenerator, UnluckyFilterLooksAtTheNumberOnly) {
    std::vector<std::u16string> expected;
    for (int v = 1; v <= 20; ++v) {
        const std::string text = std::to_string(v);
        if (v != 4 && v != 13 && v != 14)
            expected.emplace_back(text.begin(), text.end());
    }
    EXPECT_EQ(numbers(1, 20, 1, u"4，13"), expected);
    EXPECT_EQ(numbers(1, 20, 1, u" 4 , 13 ,,"), expected);
    EXPECT_EQ(numbers(1, 5, 1, u","), numbers(1, 5, 1));

    // With width 3, 8 is tested as 008; the prefix "4" never makes a number unlucky.
    NumberSeries padded;
    padded.start = 8;
    padded.end = 9;
    padded.step = 1;
    padded.prefix = u"4号";
    padded.unluckyFilter = u"00";
    EXPECT_TRUE(generateNumbers(padded).lines.empty());
    padded.unluckyFilter = u"4";
    EXPECT_EQ(generateNumbers(padded).lines, (std::vector<std::u16string>{u"4号008", u"4号009"}));

    EXPECT_TRUE(containsUnlucky(u"A14", u"x，14"));
    EXPECT_FALSE(containsUnlucky(u"a", u"A")); // case-sensitive
    EXPECT_FALSE(containsUnlucky(u"123", u""));
}

TEST(NumberGenerator, ClampsAndFieldReading) {
    EXPECT_EQ(numbers(7, 3, 5), (std::vector<std::u16string>{u"7"}));
    EXPECT_EQ(numbers(1, 3, 0), (std::vector<std::u16string>{u"1", u"2", u"3"}));
    NumberSeries wide;
    wide.width = 20;
    wide.step = 0;
    wide.end = 0;
    const NumberSeries clamped = clampedSeries(wide);
    EXPECT_EQ(clamped.width, 16);
    EXPECT_EQ(clamped.step, 1);
    EXPECT_EQ(clamped.end, clamped.start);
    EXPECT_EQ(generateNumbers(wide).lines, (std::vector<std::u16string>{u"0000000000000001"}));
    wide.width = 0;
    EXPECT_EQ(clampedSeries(wide).width, 1);

    EXPECT_EQ(readNumberField(u" 42 "), 42);
    EXPECT_EQ(readNumberField(u""), 0);
    EXPECT_EQ(readNumberField(u"-5"), 0);
    EXPECT_EQ(readNumberField(u"12a"), 0);
    EXPECT_EQ(readNumberField(u"99999999999999999999"), std::numeric_limits<std::int32_t>::max());
}

TEST(NumberGenerator, SeriesNearTheTopStopsWithoutWrapping) {
    constexpr std::int32_t top = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(numbers(top - 5, top, 4), (std::vector<std::u16string>{u"2147483642", u"2147483646"}));
    EXPECT_EQ(numbers(top, top, top), (std::vector<std::u16string>{u"2147483647"}));
}

TEST(NumberGenerator, ThirtyThousandLinesAtMost) {
    GeneratedNumbers out = generateNumbers(NumberSeries{1, 30001, 1, false, 3, {}, {}, {}});
    EXPECT_TRUE(out.limitReached);
    ASSERT_EQ(out.lines.size(), 30000u);
    EXPECT_EQ(out.lines.back(), u"30000");

    out = generateNumbers(NumberSeries{1, 30000, 1, false, 3, {}, {}, {}});
    EXPECT_FALSE(out.limitReached);
    EXPECT_EQ(out.lines.size(), 30000u);

    // Filtered numbers do not count towards the limit.
    out = generateNumbers(NumberSeries{1, 30001, 1, false, 3, {}, {}, u"30001"});
    EXPECT_FALSE(out.limitReached);
}

// The skipping of filtered runs against the plain walk over every number, on series small enough to walk:
// widths that pad and widths the numbers outgrow, steps that jump over run ends, pieces at every position.
TEST(NumberGenerator, SkippingFilteredRunsFindsExactlyWhatTheWalkFinds) {
    const std::vector<std::u16string> filters{u"0",  u"4，13", u"99",   u"1,2,3,4,5,6,7,8",
                                              u"00", u"5",     u"123,9"};
    for (const std::u16string& filter : filters) {
        for (const NumberSeries& shape : {NumberSeries{0, 20000, 1, true, 4, {}, {}, {}},
                                          NumberSeries{7, 120000, 13, true, 6, {}, {}, {}},
                                          NumberSeries{95, 30500, 7, false, 1, {}, {}, {}},
                                          NumberSeries{1, 99999, 1000, true, 2, {}, {}, {}}}) {
            NumberSeries series = shape;
            series.unluckyFilter = filter;
            std::vector<std::u16string> walked;
            for (std::int64_t v = series.start; v <= series.end && walked.size() < 30000; v += series.step) {
                std::string digits = std::to_string(v);
                const std::size_t width = series.fixedWidth ? std::size_t(series.width) : 1;
                if (digits.size() < width)
                    digits.insert(0, width - digits.size(), '0');
                const std::u16string number(digits.begin(), digits.end());
                if (!containsUnlucky(number, filter))
                    walked.push_back(number);
            }
            EXPECT_EQ(generateNumbers(series).lines, walked)
                << "filter " << filter.size() << " units, from " << series.start << " step " << series.step
                << " width " << series.width;
        }
    }
}

// Filters that leave nothing, or almost nothing, of two billion numbers: each ends at once (a walk over every
// number took minutes and froze the dialog).
TEST(NumberGenerator, FiltersThatRemoveNearlyEverythingOfTheWholeRange) {
    constexpr std::int32_t top = std::numeric_limits<std::int32_t>::max();
    EXPECT_TRUE(generateNumbers(NumberSeries{0, top, 1, true, 16, {}, {}, u"0"}).lines.empty());
    EXPECT_TRUE(
        generateNumbers(NumberSeries{0, top, 3, false, 1, {}, {}, u"0,1,2,3,4,5,6,7,8,9"}).lines.empty());
    const GeneratedNumbers nines =
        generateNumbers(NumberSeries{0, top, 1, false, 1, {}, {}, u"0,1,2,3,4,5,6,7,8"});
    EXPECT_EQ(nines.lines.size(), 9u); // 9, 99, ... 999999999
    EXPECT_EQ(nines.lines.back(), u"999999999");
    const GeneratedNumbers noZero = generateNumbers(NumberSeries{0, top, 1, true, 10, {}, {}, u"0"});
    ASSERT_TRUE(noZero.limitReached);
    EXPECT_EQ(noZero.lines.front(), u"1111111111");
}

} // namespace
} // namespace kelvora
