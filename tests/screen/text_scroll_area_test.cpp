#include "screen/text_scroll_area.h"

#include <gtest/gtest.h>

#include "screen_fixture.h"

namespace kelvora::test {
namespace {

TEST(TextGrid, ShortLastRowFillsFromTheLeft) {
    const TextGrid grid = layoutTextGrid(PixelRect{0, 0, 900, 600}, 3, 7);
    EXPECT_EQ(grid.rows, 3);
    // Cells of 300 x 200, inset by 15 and 5.
    EXPECT_EQ(grid.slotRect(0), (PixelRect{15, 5, 285, 195}));
    EXPECT_EQ(grid.slotRect(2), (PixelRect{615, 5, 885, 195}));
    EXPECT_EQ(grid.slotRect(3), (PixelRect{15, 205, 285, 395}));
    EXPECT_EQ(grid.slotRect(6), (PixelRect{15, 405, 285, 595}));
}

TEST(TextGrid, CellsAreRealNumbersTruncatedPerEdge) {
    // The default scroll area on 1920 x 1080: 1556 x 603 inside its margins.
    const TextGrid three = layoutTextGrid(PixelRect{57, 389, 1613, 992}, 3, 3);
    EXPECT_EQ(three.insetX, 25); // trunc(518.67 * 0.05)
    EXPECT_EQ(three.insetY, 15); // trunc(603 * 0.025)
    EXPECT_EQ(three.slotRect(1), (PixelRect{600, 404, 1069, 977}));

    const TextGrid five = layoutTextGrid(PixelRect{57, 389, 1613, 992}, 5, 2);
    EXPECT_EQ(five.rows, 1);
    EXPECT_EQ(five.slotRect(1).right, 57 + 2 * 1556 / 5 - 15) << "two names take the first two fifths";
    EXPECT_EQ(layoutTextGrid(PixelRect{0, 0, 100, 100}, 0, 0).cols, 1);
    EXPECT_EQ(layoutTextGrid(PixelRect{0, 0, 100, 100}, 4, 0).rows, 1);
}

TEST(WinnerNumbers, PaddedToTheQuotasDigits) {
    EXPECT_EQ(u8(winnerNumberPrefix(7, 100)), "[007] ");
    EXPECT_EQ(u8(winnerNumberPrefix(7, 9)), "[7] ");
    EXPECT_EQ(u8(winnerNumberPrefix(7, 10)), "[07] ");
    EXPECT_EQ(u8(winnerNumberPrefix(123, 10)), "[123] ");
    EXPECT_EQ(u8(winnerNumberPrefix(30000, 30000)), "[30000] ");
}

TEST(WinnerNumbers, ForfeitedSlotsTakeNoNumber) {
    DrawProgress progress;
    progress.drawnCount = 5;
    progress.shownCount = 3;
    progress.slotForfeited[1] = 1;
    const auto numbers = winnerNumbers(progress);
    EXPECT_EQ(numbers[0], 4);
    EXPECT_EQ(numbers[1], 0);
    EXPECT_EQ(numbers[2], 5) << "the last winner of the press carries drawnCount";
    EXPECT_EQ(numbers[3], 0);
}

TEST(ScrollFont, SpaceAlignedListsNeedAnEvenFace) {
    FontStyle style = makeFontStyle(u"楷体", 22, true, TextEffect::Outline, 0, 0);
    EXPECT_EQ(u8(scrollFaceName(style, true)), u8(u"楷体"));
    setField(style.faceName, u"幼圆");
    EXPECT_EQ(u8(scrollFaceName(style, true)), u8(u"新宋体"));
    EXPECT_EQ(u8(scrollFaceName(style, false)), u8(u"幼圆")) << "left to font matching";
}

class TextScrollTest : public ::testing::Test, public ScreenFixture {
protected:
    // Light-yellow text pixels inside r.
    int inkIn(const QImage& frame, const PixelRect& r) {
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ink += (frame.pixel(x, y) | 0xFF000000u) == qRgb(255, 255, 128);
        return ink;
    }
};

TEST_F(TextScrollTest, ForfeitedSlotStaysEmpty) {
    addDraw();
    run.startDraw();
    DrawProgress stopped = run.progress();
    stopped.state = DrawState::Stopped;
    stopped.drawnCount = 3;
    stopped.shownCount = 3;
    for (int i = 0; i < 3; ++i)
        stopped.shownEntrants[std::size_t(i)] = makeEntrant(u"张三丰");
    stopped.slotForfeited[1] = 1;
    run.resume(stopped);
    prizes[0].perLine = 3;
    const QImage& frame = screen.composeFrame();
    const TextGrid grid = layoutTextGrid(screen.computeBand(Band::ScrollArea).inner, 3, 3);
    EXPECT_GT(inkIn(frame, grid.slotRect(0)), 100);
    EXPECT_EQ(inkIn(frame, grid.slotRect(1)), 0);
    EXPECT_GT(inkIn(frame, grid.slotRect(2)), 100);
}

// Fifty names at the largest size: every name is cut to its own cell and nothing reaches past the area.
TEST_F(TextScrollTest, FiftyLargeNamesStayInTheirCells) {
    prizes.push_back(makePrize(u"一等奖", 50, 50));
    prizes[0].perLine = 5;
    prizes[0].fontSize = 125;
    textList = makeNames(200, u"张");
    run.startDraw();
    run.advanceDraw();
    ASSERT_EQ(run.progress().shownCount, 50);
    const QImage& frame = screen.composeFrame();
    if (const char* folder = std::getenv("KELVORA_SCREEN_FRAMES"); folder && *folder)
        frame.save(QString::fromUtf8(folder) + "/fifty.png");
    const BandGeometry area = screen.computeBand(Band::ScrollArea);
    const TextGrid grid = layoutTextGrid(area.inner, 5, 50);
    int inCells = 0;
    for (int i = 0; i < 50; ++i)
        inCells += inkIn(frame, grid.slotRect(i));
    EXPECT_GT(inCells, 5000);
    EXPECT_EQ(inkIn(frame, area.band), inCells);
}

} // namespace
} // namespace kelvora::test
