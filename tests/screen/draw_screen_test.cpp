#include "screen/draw_screen.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

#include "records/data_paths.h"
#include "records/file_system.h"
#include "screen_fixture.h"

namespace kelvora::test {

void writePicture(const std::filesystem::path& path, int width, int height, QRgb colour) {
    std::filesystem::create_directories(path.parent_path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()))) << path;
}

namespace {

QRgb pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

bool sameImage(const QImage& a, const QImage& b) {
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

// The frames are looked at, not only checked: set KELVORA_SCREEN_FRAMES to a folder to keep them as PNG.
void keepFrame(const QImage& frame, const char* name) {
    if (const char* folder = std::getenv("KELVORA_SCREEN_FRAMES"); folder && *folder)
        frame.save(QString::fromUtf8(folder) + "/" + name + ".png");
}

class ScreenTest : public ::testing::Test, public ScreenFixture {};

TEST_F(ScreenTest, DefaultBandsOnFullHd) {
    const BandGeometry main = screen.computeBand(Band::MainTitle);
    EXPECT_EQ(main.band, (PixelRect{0, 0, 1920, 151}));
    EXPECT_EQ(main.inner, (PixelRect{96, 37, 1824, 144}));
    EXPECT_EQ(screen.computeBand(Band::Subtitle).band, (PixelRect{0, 151, 1920, 237}));
    EXPECT_EQ(screen.computeBand(Band::InfoBar).band, (PixelRect{0, 237, 1920, 345}));
    const BandGeometry scroll = screen.computeBand(Band::ScrollArea);
    EXPECT_EQ(scroll.band, (PixelRect{0, 345, 1920, 1080}));
    // 3 / 6 / 16 / 12 percent of 1920 wide and 735 high.
    EXPECT_EQ(scroll.inner, (PixelRect{57, 389, 1613, 992}));
}

TEST_F(ScreenTest, HiddenMainTitleMovesTheOtherBandsUp) {
    settings.mainTitleHeightPct = 0;
    EXPECT_TRUE(screen.computeBand(Band::MainTitle).inner.isEmpty());
    EXPECT_EQ(screen.computeBand(Band::Subtitle).band, (PixelRect{0, 0, 1920, 86}));
    EXPECT_EQ(screen.computeBand(Band::InfoBar).band, (PixelRect{0, 86, 1920, 194}));
    EXPECT_EQ(screen.computeBand(Band::ScrollArea).band, (PixelRect{0, 194, 1920, 1080}));
}

TEST_F(ScreenTest, InfoBarTextFollowsTheDraw) {
    addDraw();
    EXPECT_EQ(screen.infoBarText(), u"") << "no draw started";

    run.startDraw();
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（0/3）, 笔记本电脑"));
    settings.infoBarShowPrompt = 1;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（0/3）, 笔记本电脑, 按空格开始抽取"));

    run.advanceDraw();
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（0/3）, 笔记本电脑, 按空格停止滚动"))
        << "counted at the stop";
    run.advanceDraw();
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（2/3）, 笔记本电脑, 按空格继续抽取"));
    press();
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（3/3）, 笔记本电脑, 按空格下一奖项"));

    run.advanceDraw();
    settings.infoBarShowProgress = 0;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"二等奖, 按空格开始抽取")) << "no prize text to show";
    press();
    settings.infoBarShowProgress = 1;
    settings.infoBarShowPrompt = 0;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"二等奖（5/5）"));
    settings.infoBarShowPrompt = 1;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"二等奖（5/5）, 按空格抽完回放"));

    screen.inputs().replayViewActive = true;
    run.setReplayPrize(u"一等奖");
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"一等奖（3）"));
    run.setReplayPrize(u"");
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"结果回放"));

    screen.inputs().fullListViewActive = true;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"展示总名单（40）"));
    pictureList = makeNames(7, u"P");
    drawMode = 1;
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"展示总名单（7）"));
    drawMode = -1; // any mode but 0 is the picture list
    EXPECT_EQ(u8(screen.infoBarText()), u8(u"展示总名单（7）"));
}

TEST_F(ScreenTest, BackgroundIsTheRedFillWithoutAPicture) {
    const QImage& layer = screen.backgroundLayer();
    EXPECT_EQ(pixel(layer, 0, 0), qRgb(230, 0, 0));
    EXPECT_EQ(pixel(layer, 1919, 1079), qRgb(230, 0, 0));
}

TEST_F(ScreenTest, BackgroundPictureIsStretchedOverTheWholeScreen) {
    TempDir dir;
    writePicture(dir.path() / "bg.png", 400, 300, qRgb(10, 120, 200)); // 4:3 on 16:9
    ASSERT_TRUE(screen.backgroundPicture().loadPicture(dir.path() / "bg.png"));
    screen.rebuildBackground();
    const QImage& layer = screen.backgroundLayer();
    for (const QPoint p : {QPoint(0, 0), QPoint(1919, 0), QPoint(0, 1079), QPoint(1919, 1079)})
        EXPECT_EQ(pixel(layer, p.x(), p.y()), qRgb(10, 120, 200)) << p.x() << "," << p.y();
}

TEST_F(ScreenTest, PrizePictureOnlyWhileDrawing) {
    addDraw();
    TempDir dir;
    writePicture(dir.path() / "prize.png", 300, 600, qRgb(0, 200, 0));
    ASSERT_TRUE(screen.prizePicture().loadPicture(dir.path() / "prize.png"));
    screen.rebuildBackground();
    EXPECT_TRUE(screen.prizePictureArea().isEmpty()) << "before the draw starts";

    run.startDraw();
    screen.rebuildBackground();
    // Column trunc(0.18 * 1920) = 345 wide at the right; inside margins of 6 px and 21 px the picture is
    // 333 wide, centred, and stands on the bottom margin.
    EXPECT_EQ(screen.prizePictureArea(), (PixelRect{1581, 393, 1914, 1059}));
    EXPECT_EQ(pixel(screen.backgroundLayer(), 1600, 500), qRgb(0, 200, 0));
    EXPECT_EQ(pixel(screen.backgroundLayer(), 1600, 380), qRgb(230, 0, 0));
    EXPECT_EQ(pixel(screen.backgroundLayer(), 1570, 500), qRgb(230, 0, 0));

    settings.prizeImageOnLeft = 1;
    EXPECT_EQ(screen.prizePictureArea(), (PixelRect{6, 393, 339, 1059}));

    screen.inputs().replayViewActive = true;
    EXPECT_TRUE(screen.prizePictureArea().isEmpty());
    screen.inputs().replayViewActive = false;
    settings.prizeImageWidthPct = 0;
    EXPECT_TRUE(screen.prizePictureArea().isEmpty());
}

TEST_F(ScreenTest, GuidesShowOnlyWhileTheLayoutIsEdited) {
    addDraw();
    run.startDraw();
    const QImage plain = screen.composeFrame().copy();
    EXPECT_EQ(pixel(plain, 0, 151), qRgb(230, 0, 0));

    screen.inputs().interfaceDialogOpen = true;
    const QImage guided = screen.composeFrame().copy();
    // The subtitle band's outline and its inner rectangle's dashes.
    EXPECT_EQ(pixel(guided, 0, 151), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(guided, 1919, 236), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(guided, 96, 160), qRgb(90, 90, 90));
    keepFrame(guided, "guides");

    screen.inputs().interfaceDialogOpen = false;
    screen.inputs().playbackDialogOpen = true;
    EXPECT_TRUE(sameImage(screen.composeFrame(), plain)) << "the playback dialog guides only the replay";
}

TEST_F(ScreenTest, WinnerNumbersAppearOnlyAfterTheStop) {
    addDraw();
    run.startDraw();
    run.advanceDraw(); // scrolling
    const QImage scrolling = screen.composeFrame().copy();
    settings.showWinnerNumbers = 1;
    EXPECT_TRUE(sameImage(screen.composeFrame(), scrolling));

    run.advanceDraw(); // stopped
    const QImage numbered = screen.composeFrame().copy();
    settings.showWinnerNumbers = 0;
    EXPECT_FALSE(sameImage(screen.composeFrame(), numbered));
}

TEST_F(ScreenTest, EmptySizeHasNoBuffers) {
    screen.resize(0, 1080, 96);
    EXPECT_TRUE(screen.composeFrame().isNull());
    EXPECT_TRUE(screen.backgroundLayer().isNull());
    screen.resize(800, 600, 96);
    EXPECT_EQ(screen.composeFrame().size(), QSize(800, 600));
}

// A whole frame as the audience sees it after a stop: titles with shadows, the prize line, five names a row
// in the outlined scroll font with their numbers, the prize picture on the right.
TEST_F(ScreenTest, ComposedFrameAfterAStop) {
    TempDir dir;
    prizes.push_back(makePrize(u"特等奖", 100, 12));
    prizes.back().perLine = 4;
    prizes.back().fontSize = 40;
    setField(prizes.back().prizeText, u"新能源汽车一辆");
    textList.clear();
    const char16_t* names[] = {u"王小明", u"李娜", u"张伟",         u"刘芳芳",     u"陈静",
                               u"杨洋",   u"赵敏", u"黄磊",         u"周杰",       u"吴秀英",
                               u"徐强",   u"孙丽", u"Alexander Ng", u"13912345678"};
    for (const char16_t* name : names)
        textList.push_back(makeEntrant(name));
    settings.showWinnerNumbers = 1;
    settings.infoBarShowPrompt = 1;
    writePicture(dir.path() / "car.png", 800, 600, qRgb(40, 90, 160));
    ASSERT_TRUE(screen.prizePicture().loadPicture(dir.path() / "car.png"));

    run.startDraw();
    screen.rebuildBackground();
    press();
    const QImage& frame = screen.composeFrame();
    keepFrame(frame, "stopped");

    // Light yellow ink in the main title's inner rectangle, nothing of it above the rectangle's top.
    auto inkIn = [&frame](const PixelRect& r) {
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ink += pixel(frame, x, y) == qRgb(255, 255, 128);
        return ink;
    };
    EXPECT_GT(inkIn(screen.computeBand(Band::MainTitle).inner), 1000);
    EXPECT_EQ(inkIn(PixelRect{0, 0, 1920, 37}), 0);
    EXPECT_GT(inkIn(screen.computeBand(Band::ScrollArea).inner), 1000);
}

TEST(PictureLoaders, BackgroundFromTheInterfaceFolder) {
    TempDir dir;
    const DataPaths paths(dir.path());
    InterfaceSettings settings;
    PictureFile picture;
    std::u16string warning;

    setField(settings.backgroundImage, u"");
    EXPECT_TRUE(loadBackgroundPicture(paths, settings, picture, warning));
    EXPECT_FALSE(picture.isValid());
    EXPECT_TRUE(warning.empty());

    setField(settings.backgroundImage, u"wide.png");
    writePicture(paths.interfaceFolder / "wide.png", 4000, 500, qRgb(1, 2, 3));
    EXPECT_TRUE(loadBackgroundPicture(paths, settings, picture, warning));
    EXPECT_EQ(picture.width(), 3200);
    EXPECT_EQ(picture.height(), 400);

    setField(settings.backgroundImage, u"贺岁.jpg");
    EXPECT_FALSE(loadBackgroundPicture(paths, settings, picture, warning));
    EXPECT_FALSE(picture.isValid());
    EXPECT_EQ(u8(warning),
              u8(u"背景图加载失败:\n" + pathText(paths.interfaceFolder / u"贺岁.jpg") + u"\n\n文件不存在"));

    setField(settings.backgroundImage, u"../wide.png");
    EXPECT_FALSE(loadBackgroundPicture(paths, settings, picture, warning))
        << "a name may not leave the folder";
    EXPECT_EQ(warning.rfind(u"背景图加载失败:\n", 0), 0u);
}

TEST(PictureLoaders, PrizePictureFromThePrizeFolder) {
    TempDir dir;
    const DataPaths paths(dir.path());
    PrizeItem prize;
    PictureFile picture;
    std::u16string warning = u"stale";
    EXPECT_TRUE(loadPrizePictureFor(paths, prize, picture, warning)) << "no picture is no failure";
    EXPECT_TRUE(warning.empty());

    setField(prize.imageFile, u"tall.png");
    writePicture(paths.prizeFolder / "tall.png", 500, 2000, qRgb(1, 2, 3));
    EXPECT_TRUE(loadPrizePictureFor(paths, prize, picture, warning));
    EXPECT_EQ(picture.width(), 450);
    EXPECT_EQ(picture.height(), 1800);

    std::filesystem::resize_file(paths.prizeFolder / "tall.png", 20);
    EXPECT_FALSE(loadPrizePictureFor(paths, prize, picture, warning));
    EXPECT_EQ(u8(warning),
              u8(u"奖品图加载失败:\n" + pathText(paths.prizeFolder / "tall.png") + u"\n\n无效的图片文件"));
}

} // namespace
} // namespace kelvora::test
