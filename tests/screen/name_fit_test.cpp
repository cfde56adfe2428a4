#include "screen/name_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "screen/text_scroll_area.h"
#include "screen_fixture.h"

namespace kelvora::test {
namespace {

// In the default scroll face a CJK character is as wide as the font is high: 53 pixels at 40 pt, 27 at 20 pt.
// Five a line leaves slots of 281 pixels on 1920 x 1080 and 560 on 3840 x 1080; one a line 1402.
const std::u16string kTwo = u"张三", kFive = u"欧阳春晓明", kEight = u"上官云飞司马长风",
                     kTen = u"诸葛孔明长孙无忌慕容", kTwelve = u"东方不败令狐冲任盈盈岳灵珊";

// The overflows and their warnings, one a prize naming its three widest names.
TEST(NameFit, ReportsThePrizesNamesWiderThanTheirSlotWidestFirst) {
    EntrantList names;
    for (const std::u16string& name : {kTwo, kEight, kTen, kFive, kTwelve, kTen, std::u16string()})
        names.push_back(makeEntrant(name));
    struct Case {
        const char* what;
        int screenWidth;
        bool numbers;
        std::vector<std::pair<int, int>> prizes; // font size, per line
        std::vector<std::pair<int, std::u16string>> cut;
        std::size_t warnings;
    };
    const Case cases[] = {
        {"40 pt, 20 pt and one a line on 1920",
         1920,
         false,
         {{40, 5}, {20, 5}, {40, 1}},
         {{0, kTwelve}, {0, kTen}, {0, kEight}, {1, kTwelve}},
         2},
        {"a wider screen", 3840, false, {{40, 5}}, {{0, kTwelve}}, 1},
        {"the winner number of a stop",
         1920,
         true,
         {{40, 5}, {40, 1}},
         {{0, kTwelve}, {0, kTen}, {0, kEight}, {0, kFive}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InterfaceSettings settings;
        settings.showWinnerNumbers = c.numbers;
        PrizeList prizes;
        for (const auto& [fontSize, perLine] : c.prizes) {
            prizes.push_back(makePrize(u"奖", 10, 10));
            prizes.back().fontSize = fontSize;
            prizes.back().perLine = perLine;
        }
        const NameFitScreen screen{c.screenWidth, 1080, 96};
        const std::vector<NameOverflow> overflows =
            findOverflowingNames(settings, prizes, names, false, screen);
        std::vector<std::pair<int, std::string>> expected, cut;
        for (const auto& [prize, name] : c.cut)
            expected.emplace_back(prize, u8(name));
        for (const NameOverflow& o : overflows) {
            cut.emplace_back(o.prizeIndex, u8(o.name));
            EXPECT_GT(o.textWidth, o.availableWidth);
            EXPECT_GT(o.availableWidth, 200);
        }
        EXPECT_EQ(cut, expected);

        Findings findings;
        reportNameFit(overflows, prizes, screen, findings);
        ASSERT_EQ(findings.size(), c.warnings);
        const std::string what = u8(findings[0].what);
        EXPECT_NE(what.find(u8(kTwelve)), std::string::npos) << what;
        EXPECT_EQ(what.find(u8(kFive)), std::string::npos) << "three names at most: " << what;
    }
}

// The frames' difference in r: [left, right) x [top, bottom), or left INT_MAX for none.
PixelRect differing(const QImage& a, const QImage& b, const PixelRect& r) {
    PixelRect ink{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
    return ink;
}

class NameFitFrameTest : public ::testing::Test, public ScreenFixture {};

// What is measured is what the screen cuts: at a stop with winner numbers the reported name is clipped at
// both edges of its slot, the passed one lies wholly inside its own.
TEST_F(NameFitFrameTest, TheReportedNameIsTheOneTheStopCuts) {
    settings.showWinnerNumbers = 1;
    prizes.push_back(makePrize(u"一等奖", 10, 2));
    prizes[0].perLine = 5;
    prizes[0].fontSize = 40;
    textList = {makeEntrant(kTen), makeEntrant(kTwo)};
    const std::vector<NameOverflow> overflows = findOverflowingNames(settings, prizes, textList, false);
    ASSERT_EQ(overflows.size(), 1u);
    EXPECT_EQ(u8(overflows[0].name), u8(kTen));

    run.startDraw();
    DrawProgress stopped = run.progress();
    stopped.state = DrawState::Stopped;
    stopped.drawnCount = stopped.shownCount = 2;
    stopped.shownEntrants[0] = textList[0];
    stopped.shownEntrants[1] = textList[1];
    stopped.slotForfeited[0] = stopped.slotForfeited[1] = 1;
    run.resume(stopped);
    const QImage empty = screen.composeFrame().copy();
    stopped.slotForfeited[0] = stopped.slotForfeited[1] = 0;
    run.resume(stopped);
    const QImage& frame = screen.composeFrame();

    const BandGeometry area = screen.computeBand(Band::ScrollArea);
    const TextGrid grid = layoutTextGrid(area.inner, 5, 2);
    const PixelRect cut = grid.slotRect(0), passed = grid.slotRect(1);
    EXPECT_EQ(overflows[0].availableWidth, std::min(cut.width(), passed.width()));
    const PixelRect cutInk = differing(empty, frame, PixelRect{0, cut.top, passed.left, cut.bottom});
    const PixelRect passedInk = differing(empty, frame, PixelRect{cut.right, cut.top, 1920, cut.bottom});
    // Cut mid-line, the ink reaches each edge but for the gap between two characters.
    constexpr int kGap = 4;
    EXPECT_GE(cutInk.left, cut.left);
    EXPECT_LE(cutInk.left, cut.left + kGap);
    EXPECT_LE(cutInk.right, cut.right);
    EXPECT_GE(cutInk.right, cut.right - kGap);
    EXPECT_GT(passedInk.left, passed.left + kGap);
    EXPECT_LT(passedInk.right, passed.right - kGap);
    EXPECT_GT(passedInk.right, passedInk.left) << "the passed name is drawn";
}

} // namespace
} // namespace kelvora::test
