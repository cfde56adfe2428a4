#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>

#include "platform/random.h"
#include "platform/text.h"
#include "screen/font_metrics.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

TEST(Random15Test, FollowsTheCLibraryContract) {
    FakeClock clock;
    Random15 random(clock);
    // Without a seed the generator behaves as seeded with 1.
    EXPECT_EQ(random.next(), 41);
    EXPECT_EQ(random.next(), 18467);
    EXPECT_EQ(random.next(), 6334);
    random.seed(1);
    EXPECT_EQ(random.next(), 41);

    // Reseeding within the same second restarts the same sequence; the next second gives another one.
    clock.seconds = 1'765'000'000;
    random.reseedFromClock();
    const int a = random.next();
    const int b = random.next();
    random.reseedFromClock();
    EXPECT_EQ(random.next(), a);
    EXPECT_EQ(random.next(), b);
    clock.seconds += 1;
    random.reseedFromClock();
    EXPECT_NE(random.next(), a);
    for (int i = 0; i < 1000; ++i) {
        const int v = random.next();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, Random15::kMax);
    }
}

TEST(TextTest, CaseFoldingUsesTheLocaleBeyondAscii) {
    std::setlocale(LC_ALL, "C.UTF-8");
    EXPECT_TRUE(equalsIgnoreCase(u"ÄBC", u"äbc"));
    EXPECT_TRUE(equalsIgnoreCase(u"张三", u"张三"));
    EXPECT_FALSE(equalsIgnoreCase(u"ab", u"abc"));
    EXPECT_LT(compareIgnoreCase(u"ab", u"ABC"), 0);
    // A lone surrogate never folds into something else.
    EXPECT_EQ(foldCase(0xD800), 0xD800);
}

TEST(TextTest, Utf8RoundTripsAndRejectsBrokenInput) {
    const std::u16string text = u"参数设置(勿删)/抽取进度.dat 😀";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xff"
                       "a\xc3"),
              u"\uFFFDa\uFFFD");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(TextTest, FormatTextFillsPlaceholdersInOrder) {
    EXPECT_EQ(formatText(u"无法写入文件 %s\n\n%S", {u"/a/b", u"Permission denied"}),
              u"无法写入文件 /a/b\n\nPermission denied");
    EXPECT_EQ(formatText(u"100% %s %d", {u"x"}), u"100% x %d");
    EXPECT_EQ(formatText(u"%s %s", {u"only"}), u"only %s");
    EXPECT_FALSE(errorText(EACCES).empty());
}

TEST(FontMetricsTest, PointsBecomePixelsLikeMulDiv) {
    EXPECT_EQ(fontPixelHeight(22, 96), 29); // 29.33
    EXPECT_EQ(fontPixelHeight(60, 96), 80);
    EXPECT_EQ(fontPixelHeight(9, 96), 12);
    EXPECT_EQ(mulDiv(3, 1, 2), 2); // halves round away from zero
    EXPECT_EQ(mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
}

} // namespace
} // namespace kelvora::test
