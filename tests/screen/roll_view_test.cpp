// The rolls: their layout (order, headings, numbers, rows) and their frames (the rise by time, the pause, the
// loop, photo tiles and the picture limit).

#include <gtest/gtest.h>

#include <QColor>

#include "screen/full_list_view.h"
#include "screen/replay_view.h"
#include "screen/roll_layout.h"
#include "screen/screen_fixture.h"

namespace kelvora::test {
namespace {

WinnerGroup group(std::u16string_view prize, int count, std::u16string_view prefix) {
    WinnerGroup g;
    setField(g.prizeName, prize);
    g.entrants = makeNames(count, prefix);
    return g;
}

RollMetrics metrics(int perRow, bool numbered = false) {
    RollMetrics m;
    m.area = PixelRect{100, 500, 1000, 900};
    m.namesPerRow = perRow;
    m.rowH = 30.5;
    m.headH = 40.4;
    m.numbered = numbered;
    return m;
}

std::u16string texts(const std::vector<RollItem>& items) {
    std::u16string out;
    for (const RollItem& item : items) {
        if (!out.empty())
            out += u',';
        out += item.prefix + item.text;
    }
    return out;
}

TEST(RollLayout, ReplayOrderHeadingsAndNumbers) {
    WinnerList winners{group(u"一等奖", 2, u"A"), group(u"二等奖", 12, u"B")};

    // All prizes, last drawn first: each under its heading with its count, the numbers restarting.
    const std::vector<RollItem> reversed = layoutReplay(winners, u"", true, metrics(3, true));
    ASSERT_EQ(reversed.size(), 16u);
    EXPECT_TRUE(reversed[0].isHeading);
    EXPECT_EQ(reversed[0].text, u"二等奖（12）");
    EXPECT_EQ(reversed[1].prefix, u"[01] ") << "twelve winners take two digits";
    EXPECT_EQ(reversed[12].prefix, u"[12] ");
    EXPECT_TRUE(reversed[13].isHeading);
    EXPECT_EQ(reversed[13].text, u"一等奖（2）");
    EXPECT_EQ(reversed[14].prefix, u"[1] ") << "the next prize starts again at 1, with its own width";
    EXPECT_EQ(reversed[14].text, u"A0");

    // In draw order without numbers.
    const std::vector<RollItem> forward = layoutReplay(winners, u"", false, metrics(3));
    EXPECT_EQ(forward[0].text, u"一等奖（2）");
    EXPECT_TRUE(forward[1].prefix.empty());

    // One prize, named in another case: no heading, numbered from 1; reverse order does not apply.
    WinnerList latin{group(u"Gold", 3, u"G"), group(u"Silver", 2, u"S")};
    const std::vector<RollItem> one = layoutReplay(latin, u"sILVER", true, metrics(3, true));
    EXPECT_EQ(texts(one), u"[1] S0,[2] S1");
    EXPECT_EQ(one[0].top, 0) << "the first line is the roll's origin";
    EXPECT_TRUE(layoutReplay(latin, u"Bronze", false, metrics(3)).empty());
}

TEST(RollLayout, RowsColumnsAndGaps) {
    // Three a row, seven winners: the third row holds one name, at the left.
    WinnerList winners{group(u"P", 7, u"W"), group(u"Q", 1, u"X")};
    const RollMetrics m = metrics(3);
    const std::vector<RollItem> items = layoutReplay(winners, u"", false, m);
    ASSERT_EQ(items.size(), 10u);
    const RollItem& heading = items[0];
    EXPECT_EQ(heading.left, 100);
    EXPECT_EQ(heading.right, 1000);
    EXPECT_EQ(heading.bottom, 40);
    EXPECT_EQ(items[1].top, 40);
    EXPECT_EQ(items[1].left, 100);
    EXPECT_EQ(items[3].left, 700);
    EXPECT_EQ(items[3].right, 1000);
    EXPECT_EQ(items[4].top, 70) << "rows advance by the truncated row height";
    const RollItem& seventh = items[7];
    EXPECT_EQ(seventh.left, 100);
    EXPECT_EQ(seventh.top, 100);
    EXPECT_EQ(seventh.bottom, 130);
    // The short row is closed, then the gap of a heading before the next prize's heading.
    EXPECT_TRUE(items[8].isHeading);
    EXPECT_EQ(items[8].top, 170);

    // In picture mode with photos the gap is half a heading taller.
    RollMetrics photo = m;
    photo.photoTiles = true;
    EXPECT_EQ(layoutReplay(winners, u"", false, photo)[8].top, 190);

    // The full list: row-major, numbered through the whole list.
    RollMetrics numbered = metrics(2, true);
    const std::vector<RollItem> list = layoutFullList(makeNames(11), numbered);
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list[0].prefix + list[0].text, u"[01] N0");
    EXPECT_EQ(list[10].prefix, u"[11] ");
    EXPECT_EQ(list[10].left, 100);
    EXPECT_EQ(list[10].top, int(5 * 30.5));
    EXPECT_EQ(list[9].left, 550);
    EXPECT_EQ(list[9].bottom, int(5 * 30.5));
}

TEST(RollLayout, AreaAndRowHeights) {
    const PixelRect area = rollArea(PixelRect{0, 400, 1920, 1080}, Margins{5, 6, 5, 12}, 1920);
    EXPECT_EQ(area, (PixelRect{96, 400 + 40, 1920 - 96, 1080 - 81}));
    EXPECT_DOUBLE_EQ(rollRowHeight(20, 300, false, 1.5, true), 30);
    EXPECT_DOUBLE_EQ(rollRowHeight(20, 300, true, 1.5, false), 200);
    EXPECT_DOUBLE_EQ(rollRowHeight(20, 300, true, 1.5, true), 230);
    EXPECT_DOUBLE_EQ(rollRowHeight(20, 300, true, 0, false), 300) << "a damaged ratio divides by one";
}

class RollViewTest : public ::testing::Test, public ScreenFixture {
protected:
    // A full-list roll of photos, uncropped, perRow a row, with the caption given.
    void photoRoll(int perRow, PhotoCaptionMode caption) {
        drawMode = 1;
        settings.photoCaption = std::int32_t(caption);
        settings.photoCrop = std::int32_t(PhotoCropMode::None);
        style.namesPerRow = perRow;
        style.speed = 50;
    }
    std::chrono::nanoseconds now{};
    RollStyle style;
    RollPlace place;

    RollViewTest() {
        place.band = screen.computeBand(Band::ScrollArea).band;
        place.windowWidth = 1920;
    }

    void clockOn(RollView& view) {
        view.setClock([this] { return now; });
    }
    void tick(RollView& view, std::chrono::milliseconds ms = std::chrono::milliseconds(10)) {
        now += ms;
        QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        GlyphCache glyphs;
        const BandGeometry area = screen.computeBand(Band::ScrollArea);
        view.paint(ViewFrame{{image, glyphs}, area, screen.inputs(), 96});
        lastImage = image;
    }
    QImage lastImage;
};

TEST_F(RollViewTest, RisesByElapsedTimePausesAndLoops) {
    textList = makeNames(6);
    FullListView view;
    clockOn(view);
    style.speed = 50;
    ASSERT_TRUE(view.start(screen.inputs(), style, place));
    const double step = view.step();
    ASSERT_GT(step, 0.5);

    tick(view);
    EXPECT_NEAR(view.offset(), step, 1e-9);
    EXPECT_TRUE(view.lastDrawn().empty()) << "the roll starts below the area";
    tick(view, std::chrono::milliseconds(30));
    EXPECT_NEAR(view.offset(), 4 * step, 1e-9) << "a late tick makes a longer step";

    view.togglePause();
    const double held = view.offset();
    tick(view);
    tick(view, std::chrono::milliseconds(50));
    EXPECT_EQ(view.offset(), held);
    view.togglePause();
    tick(view);
    EXPECT_NEAR(view.offset(), held + step, 1e-9) << "a resumed roll does not jump by the paused time";

    // Rise until the first row shows, then until every item has left the top: the roll starts over.
    const PixelRect& area = view.area();
    int frames = 0;
    while (view.lastDrawn().empty() && frames++ < 100000)
        tick(view);
    ASSERT_FALSE(view.lastDrawn().empty());
    EXPECT_EQ(view.lastDrawn().front(), 0u);

    // The paused frame still shows the names.
    while (view.area().bottom - int(view.offset()) > view.area().bottom - 60)
        tick(view);
    view.togglePause();
    tick(view);
    const QImage paused = lastImage;
    bool painted = false;
    for (int y = area.top; y < area.bottom && !painted; ++y)
        for (int x = area.left; x < area.right && !painted; ++x)
            painted = paused.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_TRUE(painted) << "a paused roll is still drawn";
    view.togglePause();

    bool sawLast = false;
    bool looped = false;
    for (frames = 0; frames < 200000 && !looped; ++frames) {
        tick(view);
        if (!view.lastDrawn().empty() && view.lastDrawn().back() == 5)
            sawLast = true;
        looped = sawLast && view.offset() < step * 2;
    }
    ASSERT_TRUE(looped);
    EXPECT_EQ(view.firstVisible(), 0u);
    tick(view);
    EXPECT_TRUE(view.lastDrawn().empty()) << "the first item comes in again from the bottom";
    while (view.lastDrawn().empty())
        tick(view);
    EXPECT_EQ(view.lastDrawn().front(), 0u);

    view.stop();
    EXPECT_FALSE(view.active());
    EXPECT_TRUE(view.items().empty());
}

TEST_F(RollViewTest, ReplayOfTheRunAndNothingToShow) {
    addDraw();
    ReplayView replay;
    EXPECT_FALSE(replay.start(screen.inputs(), style, place)) << "nobody has won yet";
    EXPECT_FALSE(replay.active());
    run.startDraw();
    press();
    style.headingFont = makeFontStyle(u"楷体", 24, true, TextEffect::Outline, kColorGrey, kColorLightYellow);
    ASSERT_TRUE(replay.start(screen.inputs(), style, place));
    ASSERT_EQ(replay.items().size(), 3u);
    EXPECT_EQ(replay.items()[0].text, u"一等奖（2）");
    const int headH = replay.items()[0].bottom;
    EXPECT_GT(headH, 0);

    FullListView full;
    textList.clear();
    EXPECT_FALSE(full.start(screen.inputs(), style, place));
}

TEST_F(RollViewTest, PhotoTilesStandOnTheirBoxAndFewAreKept) {
    std::filesystem::create_directories(paths.pictureFolder);
    pictureList.clear();
    for (int i = 0; i < 60; ++i) {
        const std::u16string name = u"p" + decimalText(i) + u".png";
        if (i != 1) // p1 is missing: its tile stays empty, its caption shows
            writePicture(paths.pictureFolder / std::filesystem::path(name), 60, 40, qRgb(0, 200, 0));
        pictureList.push_back(makeEntrant(name));
    }
    photoRoll(5, PhotoCaptionMode::OutsidePicture);
    place.aspectRatio = 1.5;
    FullListView view;
    clockOn(view);
    ASSERT_TRUE(view.start(screen.inputs(), style, place));
    const RollItem& first = view.items()[0];
    EXPECT_GT(first.bottom - first.top, int((first.right - first.left) / 1.5));

    int frames = 0;
    while ((view.lastDrawn().empty() ||
            view.items()[view.lastDrawn().front()].bottom + view.area().bottom - int(view.offset()) >
                view.area().bottom) &&
           frames++ < 100000)
        tick(view);
    // The first tile is wholly inside the area now: the photo is green, centred across its cell.
    const RollItem& item = view.items()[0];
    const int shift = view.area().bottom - int(view.offset() - view.step());
    const int midX = (item.left + item.right) / 2;
    const int photoBottom = item.top + shift + int((item.right - item.left) / 1.5);
    EXPECT_EQ(lastImage.pixel(midX, photoBottom - 10), qRgb(0, 200, 0));
    EXPECT_NE(lastImage.pixel(item.left + 2, photoBottom - 10), qRgb(0, 200, 0))
        << "the photo keeps its shape";

    for (frames = 0; frames < 1500; ++frames)
        tick(view, std::chrono::milliseconds(100));
    EXPECT_LE(view.cachedPictures(), kRollPictureLimit);
    EXPECT_GT(view.cachedPictures(), 0u);
    view.stop();
    EXPECT_EQ(view.cachedPictures(), 0u);
}

// Photos are found by their file name as it is: "Li.jpg" and "li.jpg" are two people with two faces.
TEST_F(RollViewTest, PhotosWhoseNamesDifferOnlyInCaseShowTheirOwnFaces) {
    std::filesystem::create_directories(paths.pictureFolder);
    pictureList.clear();
    const std::pair<std::u16string, QRgb> people[] = {{u"Li.jpg", qRgb(220, 0, 0)},
                                                      {u"li.jpg", qRgb(0, 0, 220)}};
    for (const auto& [name, colour] : people) {
        writePicture(paths.pictureFolder / std::filesystem::path(name), 60, 60, colour);
        pictureList.push_back(makeEntrant(name));
    }
    photoRoll(2, PhotoCaptionMode::Hidden);
    FullListView view;
    clockOn(view);
    ASSERT_TRUE(view.start(screen.inputs(), style, place));
    ASSERT_EQ(view.items().size(), 2u);
    int shift = 0;
    for (int frames = 0; frames < 100000; ++frames) {
        shift = view.area().bottom - int(view.offset());
        tick(view);
        if (view.items()[0].bottom + shift < view.area().bottom)
            break;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        const RollItem& item = view.items()[i];
        const QRgb shown =
            lastImage.pixel((item.left + item.right) / 2, (item.top + item.bottom) / 2 + shift);
        const QRgb own = people[i].second;
        EXPECT_NEAR(qRed(shown), qRed(own), 12) << i;
        EXPECT_NEAR(qBlue(shown), qBlue(own), 12) << i;
    }
    EXPECT_EQ(view.cachedPictures(), 2u);
}

// A line is drawn whole, effect and bold included, and cut only at a twentieth of its cell on either side and
// at the roll's top and bottom; a name far wider than its cell makes a line no wider than that cut.
TEST_F(RollViewTest, LinesAreCutOnlyAtTheirCellsInsetsAndAreNoWiderThanThem) {
    constexpr ColorRef kEffect = makeColorRef(255, 0, 0);
    struct Case {
        const char* what;
        std::u16string name;
        int sizePt;
        TextEffect effect;
        int perRow;
    };
    const Case cases[] = {
        // "_" reaches the text's left edge; the synthesized bold of "W" reaches past its right one.
        {"outlined", u"_张三W", 60, TextEffect::Outline, 1},
        {"shadowed", u"_张三W", 60, TextEffect::Shadow, 1},
        {"long", std::u16string(60, u'国'), 125, TextEffect::Outline, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        textList = {makeEntrant(c.name)};
        style.namesPerRow = c.perRow;
        style.speed = 50;
        style.nameFont = makeFontStyle(u"楷体", c.sizePt, true, c.effect, kEffect, kColorLightYellow);
        FullListView view;
        clockOn(view);
        ASSERT_TRUE(view.start(screen.inputs(), style, place));
        const RollItem item = view.items()[0];
        const ScreenFont font = createBandFont(style.nameFont, c.sizePt, false, 96);
        // Rise until the line stands inside the area, clear of its top and bottom.
        int shift = 0;
        for (int frames = 0; frames < 100000; ++frames) {
            shift = view.area().bottom - int(view.offset());
            tick(view);
            if (item.top + shift + font.height * 3 / 2 < view.area().bottom)
                break;
        }
        ASSERT_GE(item.top + shift - font.height / 2, view.area().top);

        // The same text drawn at the same place without any cut.
        const int textWidth =
            font.metrics.horizontalAdvance(QString::fromUtf16(item.text.data(), qsizetype(item.text.size())));
        const int x = int((double(item.right - item.left) - double(textWidth)) * 0.5 + double(item.left));
        const int y = item.top + shift;
        QImage whole(lastImage.size(), QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::black);
        GlyphCache glyphs;
        drawTextClipped(TextCanvas{whole, glyphs}, item.text, DigitHiding{}, 0, font, kColorLightYellow,
                        c.effect, kEffect, PixelRect{x, y, x + textWidth, y + font.height},
                        PixelRect{0, 0, whole.width(), whole.height()}, AlignStart, AlignStart);

        const int side = int(0.05 * (item.right - item.left));
        const PixelRect clip{item.left + side, view.area().top, item.right - side, view.area().bottom};
        const auto inside = [](const PixelRect& r, int px, int py) {
            return px >= r.left && px < r.right && py >= r.top && py < r.bottom;
        };
        const PixelRect glyphBox{x, y, x + textWidth, y + font.height};
        int differing = 0;
        int outsideClip = 0;
        int beyondGlyphBox = 0;
        for (int py = 0; py < lastImage.height(); ++py) {
            for (int px = 0; px < lastImage.width(); ++px) {
                const QRgb drawn = lastImage.pixel(px, py);
                const bool inked = (drawn & 0xFFFFFF) != 0;
                if (!inside(clip, px, py)) {
                    outsideClip += inked;
                    continue;
                }
                const QRgb expected = whole.pixel(px, py);
                differing += std::abs(qRed(drawn) - qRed(expected)) > 2 ||
                             std::abs(qGreen(drawn) - qGreen(expected)) > 2 ||
                             std::abs(qBlue(drawn) - qBlue(expected)) > 2;
                beyondGlyphBox += inked && !inside(glyphBox, px, py);
            }
        }
        EXPECT_EQ(differing, 0) << "the line differs from the text drawn whole";
        EXPECT_EQ(outsideClip, 0) << "ink beyond the cell's insets";
        if (textWidth < clip.width()) {
            EXPECT_GT(beyondGlyphBox, 0) << "nothing of the effect or the bold beyond the text's own box";
        }
        EXPECT_GT(view.lineSize(0).width(), 0);
        EXPECT_LE(view.lineSize(0).width(), clip.width());
    }
}

TEST_F(RollViewTest, GuidesOnlyWhileTheSettingsAreOpen) {
    textList = makeNames(3);
    FullListView view;
    clockOn(view);
    ASSERT_TRUE(view.start(screen.inputs(), style, place));
    tick(view);
    const int x = view.area().left + 1;
    const int y = (view.area().top + view.area().bottom) / 2;
    EXPECT_EQ(lastImage.pixel(view.area().left, y), qRgb(0, 0, 0));
    screen.inputs().fullListDialogOpen = true;
    tick(view);
    EXPECT_NE(lastImage.pixel(view.area().left, y), qRgb(0, 0, 0));
    screen.inputs().playbackDialogOpen = true;
    screen.inputs().fullListDialogOpen = false;
    tick(view);
    EXPECT_EQ(lastImage.pixel(view.area().left, y), qRgb(0, 0, 0)) << "the other roll's dialog";
    (void)x;
}

} // namespace
} // namespace kelvora::test
