#include "screen/photo_warmer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "screen/photo_scroll_view.h"
#include "screen/photo_tiles.h"
#include "screen/text_scroll_area.h"
#include "screen_fixture.h"

namespace kelvora::test {
namespace {

// Photo i has a colour of its own, so a frame's pixels tell which photo a cell shows.
QRgb colourOf(int i) {
    return qRgb(20 + 9 * i, 230 - 9 * i, (60 * i) % 256);
}

std::u16string photoName(int i) {
    return u"员工" + std::u16string(1, char16_t(u'A' + i)) + u".png";
}

int photoIndex(std::u16string_view name) {
    return name.size() > 2 ? int(name[2] - u'A') : -1;
}

class PhotoWarmTest : public ::testing::Test, public ScreenFixture {
protected:
    PhotoWarmTest() {
        drawMode = 1;
        settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
        settings.photoCrop = std::int32_t(PhotoCropMode::None);
    }

    void writePhotos(int count) {
        for (int i = 0; i < count; ++i)
            writePhoto(i);
        for (int i = 0; i < count; ++i)
            pictureList.push_back(makeEntrant(photoName(i)));
    }
    void writePhoto(int i) {
        writePicture(paths.pictureFolder / std::filesystem::path(photoName(i)), 120, 150, colourOf(i));
    }

    // A prize of shown photos a press, six to a row, with presses still to come.
    void addPrize(int shown) {
        prizes.push_back(makePrize(u"一等奖", 100, shown));
        prizes[0].perLine = 6;
    }

    PixelRect cell(int slot) const {
        return layoutScrollGrid(screen.computeBand(Band::ScrollArea).inner, prizes[0].perLine,
                                run.progress().shownCount, 0.025)
            .slotRect(slot);
    }

    // The colour a cell shows in its middle, as the index of the photo with that colour (-1: none).
    int photoShownIn(const QImage& frame, int slot) const {
        const PixelRect c = cell(slot);
        const QRgb pixel = frame.pixel((c.left + c.right) / 2, (c.top + c.bottom) / 2) | 0xFF000000u;
        for (int i = 0; i < int(pictureList.size()); ++i)
            if (pixel == colourOf(i))
                return i;
        return -1;
    }

    PhotoScrollView& view() { return screen.photoView(); }
    static std::chrono::nanoseconds stillClock() { return std::chrono::nanoseconds(0); }
};

// The winners' frame shows its own photos even with no time left to decode them and every other photo of
// the pool kept: the same pixels as a frame from an empty cache with all the time in the world.
TEST_F(PhotoWarmTest, AStoppedFrameShowsItsOwnPhotosWhateverTheBudget) {
    writePhotos(16);
    addPrize(6);
    run.startDraw();
    DrawProgress stopped = run.progress();
    stopped.state = DrawState::Stopped;
    stopped.shownCount = 6;
    stopped.drawnCount = 6;
    stopped.pool.clear();
    for (int i = 0; i < 16; ++i) {
        if (i < 6)
            stopped.shownEntrants[std::size_t(i)] = makeEntrant(photoName(i));
        else
            stopped.pool.push_back(makeEntrant(photoName(i))); // the winners left the pool
    }
    run.resume(stopped);

    view().setDecodeBudget(std::chrono::nanoseconds(0), stillClock);
    screen.preparePhotos();
    screen.waitForPhotos();
    EXPECT_EQ(view().tiles().count(), 10u) << "the pool's photos were made ahead, the winners' not";
    const QImage budgeted = screen.composeFrame().copy();
    for (int i = 0; i < 6; ++i) {
        const PhotoScrollView::DrawnSlot& drawn = view().lastFrame()[std::size_t(i)];
        EXPECT_FALSE(drawn.standIn) << i;
        EXPECT_EQ(u8(drawn.photo), u8(photoName(i)));
        EXPECT_EQ(photoShownIn(budgeted, i), i);
    }

    screen.dropFonts();
    view().setDecodeBudget(std::chrono::nanoseconds::max());
    EXPECT_TRUE(screen.composeFrame() == budgeted);
}

// While the faces scroll, a frame with no time to decode shows kept tiles only, each with its own name: the
// slots whose photo is not kept show another kept photo and that photo's caption. The slots dealt stay.
TEST_F(PhotoWarmTest, AScrollingFrameOutOfTimeStandsInKeptPhotosWithTheirOwnCaptions) {
    writePhotos(20);
    addPrize(6);
    run.startDraw();
    screen.composeFrame(); // the first sight of the prize starts the warmer
    screen.waitForPhotos();
    ASSERT_TRUE(screen.photosReady());
    EXPECT_EQ(view().tiles().count(), 20u);
    EXPECT_EQ(view().warmer().prepared(), 20u);
    EXPECT_FALSE(view().warmer().cacheFull());

    // Half the photos are replaced under their names: their tiles are no longer good.
    for (int i = 0; i < 20; i += 2) {
        std::filesystem::remove(paths.pictureFolder / std::filesystem::path(photoName(i)));
        writePhoto(i);
    }
    view().setDecodeBudget(std::chrono::nanoseconds(0), stillClock);
    run.advanceDraw(); // scrolling
    ASSERT_EQ(run.progress().state, DrawState::Scrolling);
    const std::size_t made = view().tiles().made();
    int standIns = 0;
    for (int frame = 0; frame < 12; ++frame) {
        run.scrollTimerTick();
        const DrawProgress dealt = run.progress();
        const QImage image = screen.composeFrame().copy();
        EXPECT_EQ(view().tiles().made(), made) << "frame " << frame << " decoded a photo";
        std::set<std::u16string> faces;
        for (int i = 0; i < 6; ++i) {
            const PhotoScrollView::DrawnSlot& drawn = view().lastFrame()[std::size_t(i)];
            const std::u16string own(dealt.shownEntrants[std::size_t(i)].text());
            EXPECT_EQ(u8(drawn.caption), u8(drawn.photo)) << "a face with another's name";
            const int shownPhoto = photoIndex(drawn.photo);
            EXPECT_EQ(photoShownIn(image, i), shownPhoto) << "frame " << frame << " slot " << i;
            if (drawn.standIn) {
                ++standIns;
                EXPECT_NE(u8(drawn.photo), u8(own));
                EXPECT_EQ(shownPhoto % 2, 1) << "only kept tiles stand in";
            } else {
                EXPECT_EQ(u8(drawn.photo), u8(own));
                EXPECT_EQ(photoIndex(own) % 2, 1) << "a photo not kept was shown as its own";
            }
            faces.insert(drawn.photo);
        }
        EXPECT_EQ(faces.size(), 6u) << "a frame's stand-ins are different photos";
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(u8(run.progress().shownEntrants[std::size_t(i)].text()),
                      u8(dealt.shownEntrants[std::size_t(i)].text()))
                << "drawing changed the dealt slots";
    }
    EXPECT_GT(standIns, 6);

    // With time to spare the frame decodes its own photos again.
    view().setDecodeBudget(std::chrono::nanoseconds::max());
    run.scrollTimerTick();
    screen.composeFrame();
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(view().lastFrame()[std::size_t(i)].standIn);
}

// The winners of a press leave the pool and the deck, but their tiles stay kept: while the next press of the
// prize scrolls with no time to decode, every face shown is one the press can still draw. Names are matched
// exactly: "Wang" and "wang" are two people.
TEST_F(PhotoWarmTest, StandInsAreOnlyEntrantsTheScrollingPressCanDraw) {
    writePhotos(12);
    // Everyone has a namesake in another case with a photo of their own, who stays in the deck when they win.
    const auto isTwin = [](std::u16string_view name) { return photoIndex(name) >= 32; };
    for (int i = 0; i < 12; ++i) {
        const std::u16string twin = u"员工" + std::u16string(1, char16_t(u'a' + i)) + u".png";
        writePicture(paths.pictureFolder / std::filesystem::path(twin), 120, 150, qRgb(250, 250, 250));
        pictureList.push_back(makeEntrant(twin));
    }
    addPrize(3);
    view().setWarming(false); // only the frames make tiles: the first press keeps what it showed
    view().setDecodeBudget(std::chrono::nanoseconds::max());
    run.startDraw();
    run.advanceDraw();
    for (int frame = 0; frame < 3; ++frame) {
        run.scrollTimerTick();
        screen.composeFrame();
    }
    run.advanceDraw();
    ASSERT_EQ(run.progress().state, DrawState::Stopped);
    std::set<std::u16string> winners;
    for (const Entrant& winner : run.progress().winners.at(0).entrants)
        winners.insert(std::u16string(winner.text()));
    ASSERT_EQ(winners.size(), 3u);
    ASSERT_GT(view().tiles().count(), winners.size()) << "the winners' tiles are kept with others";

    view().setDecodeBudget(std::chrono::nanoseconds(0), stillClock);
    run.advanceDraw(); // the second press
    ASSERT_EQ(run.progress().state, DrawState::Scrolling);
    std::set<std::u16string> deck;
    for (const Entrant& entrant : run.scrollDeck())
        deck.insert(std::u16string(entrant.text()));
    ASSERT_EQ(deck.size(), pictureList.size() - winners.size());
    int standIns = 0;
    for (int frame = 0; frame < 40; ++frame) {
        run.scrollTimerTick();
        const QImage image = screen.composeFrame().copy();
        for (int i = 0; i < 3; ++i) {
            const PhotoScrollView::DrawnSlot& drawn = view().lastFrame()[std::size_t(i)];
            if (drawn.photo.empty())
                continue; // nothing to stand in: the caption alone
            EXPECT_TRUE(deck.contains(drawn.photo))
                << "frame " << frame << " slot " << i << " shows " << u8(drawn.photo);
            EXPECT_FALSE(winners.contains(drawn.photo));
            if (!isTwin(drawn.photo)) {
                EXPECT_EQ(photoShownIn(image, i), photoIndex(drawn.photo));
            }
            standIns += drawn.standIn;
        }
    }
    EXPECT_GT(standIns, 0) << "kept faces of the deck still stand in";
}

// A clock that moves a millisecond each time it is read: the frame decodes until its budget is spent, and
// with nothing else kept, the slots left show their captions alone.
TEST_F(PhotoWarmTest, AScrollingFrameDecodesWithinItsBudget) {
    writePhotos(12);
    addPrize(12);
    run.startDraw();
    run.advanceDraw();
    std::chrono::nanoseconds now{0};
    view().setWarming(false); // the frames alone
    view().setDecodeBudget(std::chrono::milliseconds(3),
                           [&now] { return now += std::chrono::milliseconds(1); });
    screen.composeFrame();
    EXPECT_EQ(view().tiles().made(), 2u) << "read at 1 ms, then 2 and 3 ms: under 3 ms; at 4 ms: spent";
    int photos = 0;
    for (int i = 0; i < 12; ++i) {
        const PhotoScrollView::DrawnSlot& drawn = view().lastFrame()[std::size_t(i)];
        EXPECT_FALSE(drawn.standIn) << "the kept photos are in the frame already";
        EXPECT_EQ(u8(drawn.caption), u8(run.progress().shownEntrants[std::size_t(i)].text()));
        photos += !drawn.photo.empty();
    }
    EXPECT_EQ(photos, 2);
}

TEST(PhotoWarmer, FillsTheCacheAndStopsAtItsLimitWithoutPushingTilesOut) {
    TempDir folder;
    const DataPaths paths(folder.path());
    std::filesystem::create_directories(paths.pictureFolder);
    EntrantList pool;
    for (int i = 0; i < 10; ++i) {
        writePicture(paths.pictureFolder / std::filesystem::path(photoName(i)), 80, 100, colourOf(i));
        pool.push_back(makeEntrant(photoName(i)));
    }
    pool.push_back(makeEntrant(u"没有照片.png")); // no file: gone through, nothing kept

    // A small pool: every photo.
    PhotoTileCache large;
    PhotoWarmer warmer(large);
    warmer.start({paths, pool, 40, 50, PhotoCropMode::Ellipse});
    warmer.wait();
    EXPECT_TRUE(warmer.finished());
    EXPECT_FALSE(warmer.cacheFull());
    EXPECT_EQ(warmer.prepared(), 11u);
    EXPECT_EQ(large.count(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(large.find(paths.pictureFolder / std::filesystem::path(photoName(i)), 40, 50,
                               PhotoCropMode::Ellipse));

    // A pool larger than the cache: it fills and stops. A 40 x 50 tile is some 8 KB.
    PhotoTileCache small(30'000);
    PhotoWarmer filling(small);
    filling.start({paths, pool, 40, 50, PhotoCropMode::Ellipse});
    filling.wait();
    EXPECT_TRUE(filling.cacheFull());
    EXPECT_EQ(small.count(), 3u);
    EXPECT_LE(small.bytes(), small.byteLimit());
    std::set<std::u16string> kept;
    for (std::size_t k = 0; k < 3; ++k)
        kept.insert(small.pick(k, 40, 50, PhotoCropMode::Ellipse)->name);
    EXPECT_EQ(kept.size(), 3u);
    // Started again, it keeps what it made and makes nothing more.
    const std::size_t made = small.made();
    filling.start({paths, pool, 40, 50, PhotoCropMode::Ellipse});
    filling.wait();
    EXPECT_EQ(small.made(), made);
    std::set<std::u16string> still;
    for (std::size_t k = 0; k < 3; ++k)
        still.insert(small.pick(k, 40, 50, PhotoCropMode::Ellipse)->name);
    EXPECT_EQ(still, kept);

    // Another grid's tiles make room for this one's.
    filling.start({paths, pool, 30, 40, PhotoCropMode::Ellipse});
    filling.wait();
    EXPECT_GT(small.count(), 0u);
    EXPECT_FALSE(small.pick(0, 40, 50, PhotoCropMode::Ellipse)) << "the earlier grid's tiles are gone";
    EXPECT_TRUE(small.pick(0, 30, 40, PhotoCropMode::Ellipse));
    EXPECT_LE(small.bytes(), small.byteLimit());

    // A frame's tile still pushes the least recently used out.
    const std::size_t before = small.count();
    small.tile(paths.pictureFolder / std::filesystem::path(photoName(9)), u"x", 60, 60, PhotoCropMode::None);
    EXPECT_LE(small.bytes(), small.byteLimit());
    EXPECT_LE(small.count(), before);
}

// Stopping and starting over join the thread; the screen's worker goes with its fonts and with the screen.
TEST_F(PhotoWarmTest, RestartingDroppingAndDestroyingJoinTheWorker) {
    writePhotos(20);
    for (int i = 0; i < 3000; ++i)
        pictureList.push_back(makeEntrant(photoName(i % 20)));
    addPrize(6);
    run.startDraw();
    for (int round = 0; round < 5; ++round) {
        screen.preparePhotos();
        EXPECT_EQ(view().warmer().planned(), pictureList.size());
        screen.preparePhotos(); // over again while the first job runs
    }
    screen.dropFonts();
    EXPECT_TRUE(screen.photosReady());
    EXPECT_EQ(view().tiles().count(), 0u) << "no tile arrives after the drop";

    screen.preparePhotos();
    screen.dropScrollFont(); // stops, drops and starts over
    EXPECT_FALSE(view().warmer().planned() == 0);
    {
        DrawScreen other(screen.inputs());
        other.resize(800, 600, 96);
        other.preparePhotos();
    } // destroyed while its worker may still run
    run.end();
    screen.preparePhotos();
    EXPECT_TRUE(screen.photosReady()) << "no draw, no work";
}

} // namespace
} // namespace kelvora::test
