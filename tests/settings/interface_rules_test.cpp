// The corrections of the look's dialogs: heights that leave room for one another, margins that fit their
// band, and the warnings that name what became too small, without stopping anything.

#include <gtest/gtest.h>

#include "settings/interface_rules.h"

namespace kelvora {
namespace {

InterfaceSettings heights(std::int32_t main, std::int32_t sub, std::int32_t info) {
    InterfaceSettings s;
    s.mainTitleHeightPct = main;
    s.subtitleHeightPct = sub;
    s.infoBarHeightPct = info;
    return s;
}

std::u16string tooSmall(std::u16string_view parts) {
    return std::u16string(parts) +
           u"\n很小哦~~\n\n可能导致内容显示不全或不可见\n如想隐藏，可直接将高度调为零";
}

TEST(InterfaceRulesTest, HeightsLeaveRoomForOneAnotherAndOnlyShownRegionsAreWarnedAbout) {
    InterfaceSettings s = heights(60, 50, 10);
    EXPECT_EQ(clampInterfaceSettings(s), tooSmall(u"滚动区\n")) << "the info bar at 0 is hidden, not small";
    EXPECT_EQ(s.subtitleHeightPct, 40);
    EXPECT_EQ(s.infoBarHeightPct, 0);

    s = heights(0, 8, 10);
    EXPECT_EQ(clampInterfaceSettings(s), u"") << "a main title of 0 hides its band without a warning";
    EXPECT_EQ(s.mainTitleHeightPct, 0);

    s = heights(5, 3, 3);
    s.prizeImageWidthPct = 4;
    EXPECT_EQ(clampInterfaceSettings(s), tooSmall(u"主标题\n副标题\n信息条\n奖品图\n")) << "in screen order";

    s = heights(-5, 250, 2147483647);
    EXPECT_EQ(clampInterfaceSettings(s), tooSmall(u"滚动区\n"));
    EXPECT_EQ(s.mainTitleHeightPct, 0);
    EXPECT_EQ(s.subtitleHeightPct, 100);
    EXPECT_EQ(s.infoBarHeightPct, 0);
}

TEST(InterfaceRulesTest, SpeedPositionsAndPrizeWidthAreCorrectedNotRefused) {
    InterfaceSettings s;
    s.scrollSpeed = 0;
    s.hideFrom = 0;
    s.hideTo = -3;
    s.prizeImageWidthPct = 101;
    clampInterfaceSettings(s);
    EXPECT_EQ(s.scrollSpeed, 1);
    EXPECT_EQ(s.hideFrom, 1);
    EXPECT_EQ(s.hideTo, 1) << "never before the first hidden position";
    EXPECT_EQ(s.prizeImageWidthPct, 100);

    s.scrollSpeed = 61;
    s.hideFrom = 4;
    s.hideTo = 9;
    clampInterfaceSettings(s);
    EXPECT_EQ(s.scrollSpeed, 60);
    EXPECT_EQ(s.hideTo, 9);
}

TEST(InterfaceRulesTest, MarginsFitTheirBandAndLargeOnesAreWarnedAbout) {
    Margins m{50, 10, 60, 10};
    EXPECT_TRUE(clampMargins(m));
    EXPECT_EQ(m, (Margins{50, 10, 50, 10}));

    m = Margins{10, 80, 10, 30};
    EXPECT_TRUE(clampMargins(m));
    EXPECT_EQ(m, (Margins{10, 80, 10, 20}));

    m = Margins{-4, 5, 39, 64};
    EXPECT_FALSE(clampMargins(m)) << "0 + 39 and 5 + 64 leave enough";
    EXPECT_EQ(m, (Margins{0, 5, 39, 64}));

    EXPECT_EQ(clampFontSize(3), 16);
    EXPECT_EQ(clampFontSize(200), 125);
}

} // namespace
} // namespace kelvora
