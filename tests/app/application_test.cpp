// Start-up: the settings in their fixed order with their messages, the pictures' warnings, the display mode,
// and an interrupted draw resumed with its winners on screen.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/application.h"
#include "app_test_support.h"
#include "draw/progress_file.h"
#include "draw_fixture.h"
#include "records/file_system.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

void writeText(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class ApplicationTest : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        PrizeList prizes{makePrize(u"一等奖", 3, 2), makePrize(u"特等奖", 1, 1)};
        TextNameList list;
        list.entries = makeNames(8);
        ASSERT_TRUE(savePrizes(paths, prizes));
        ASSERT_TRUE(saveDrawMode(paths, DrawMode{kTextMode}));
        ASSERT_TRUE(saveTextNameList(paths, list));
        InterfaceSettings look;
        look.backgroundImage[0] = 0;
        ASSERT_TRUE(saveInterfaceSettings(paths, look));
    }

    // Messages other than the platform checks (which depend on the machine's packages).
    std::vector<std::u16string> startupMessages() const {
        std::vector<std::u16string> out;
        for (const RecordedMessage& m : messages.shown) {
            if (m.text.rfind(u"缺少", 0) != 0)
                out.push_back(m.text);
        }
        return out;
    }
};

TEST_F(ApplicationTest, ABrokenFileIsReportedInReadingOrderAndStartUpGoesOn) {
    writeText(paths.musicFile, "xyz");
    writeText(paths.drawModeFile, "12345");
    writeText(paths.interfaceFolder / "坏.jpg", "not a picture");
    InterfaceSettings look;
    setField(look.backgroundImage, u"坏.jpg");
    ASSERT_TRUE(saveInterfaceSettings(paths, look));

    Application app(dir.path(), services);
    ASSERT_TRUE(app.startApplication());
    const std::vector<std::u16string> expected{
        u"读文件失败:\n" + pathText(paths.drawModeFile) + u"\n\n文件内容有错误" +
            keptNote(paths.drawModeFile),
        u"读文件失败:\n" + pathText(paths.musicFile) + u"\n\n文件内容有错误" + keptNote(paths.musicFile),
        u"背景图加载失败:\n" + pathText(paths.interfaceFolder / "坏.jpg") + u"\n\n无效的图片文件",
    };
    EXPECT_EQ(startupMessages(), expected);
    EXPECT_EQ(app.records().drawMode.mode, kPictureMode) << "a broken file leaves the defaults";
    EXPECT_EQ(app.records().prizes.size(), 2u) << "the other files are still read";
    EXPECT_TRUE(app.mainWindow().isVisible());
    app.mainWindow().close();
}

// An empty folder starts with the defaults. The default look names a background picture that is not there,
// and that is said once; nothing is written.
TEST_F(ApplicationTest, AnEmptyFolderStartsWithTheDefaultsAndCreatesNothing) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        std::filesystem::remove_all(entry.path());
    {
        Application app(dir.path(), services);
        ASSERT_TRUE(app.startApplication());
        ASSERT_EQ(startupMessages().size(), 1u);
        EXPECT_EQ(startupMessages()[0].rfind(u"背景图加载失败:\n", 0), 0u);
        app.mainWindow().close();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(ApplicationTest, AnInterruptedDrawResumesWithItsWinnersOnScreenInTheSavedMode) {
    ASSERT_TRUE(saveWindowedSettings(paths, WindowedSettings{0, 20, 30, 400, 300}));
    DrawProgress before;
    {
        Application first(dir.path(), services);
        ASSERT_TRUE(first.startApplication());
        DrawRun& run = first.controller().run();
        run.startDraw();
        run.advanceDraw();
        run.advanceDraw();
        ASSERT_EQ(run.progress().state, DrawState::Stopped);
        before = run.progress();
        // The program is killed here: nothing more is written.
    }
    Application second(dir.path(), services);
    ASSERT_TRUE(second.startApplication());
    const DrawRun& run = second.controller().run();
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
    EXPECT_EQ(run.progress().drawnCount, 2);
    ASSERT_EQ(run.progress().shownCount, 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(run.progress().shownEntrants[static_cast<std::size_t>(i)].text(),
                  before.shownEntrants[static_cast<std::size_t>(i)].text());
    EXPECT_EQ(run.progress().pool.size(), 6u);
    EXPECT_EQ(second.mainWindow().geometry(), QRect(20, 30, 400, 300));
    EXPECT_TRUE(startupMessages().empty());

    // Closing in the middle of the resumed draw asks first.
    messages.answers = {MessageAnswer::No};
    second.mainWindow().close();
    EXPECT_TRUE(second.mainWindow().isVisible());
    EXPECT_EQ(messages.lastText(), u"退出软件？\n\n*重启软件可继续中断的抽奖");
}

TEST_F(ApplicationTest, AMissingPrizePictureOfAResumedDrawIsReportedOnce) {
    {
        PrizeList prizes{makePrize(u"一等奖", 3, 2)};
        setField(prizes[0].imageFile, u"奖品.png");
        ASSERT_TRUE(savePrizes(paths, prizes));
        Application first(dir.path(), services);
        ASSERT_TRUE(first.startApplication());
        first.controller().run().startDraw();
        first.controller().run().advanceDraw();
        first.controller().run().advanceDraw();
        EXPECT_TRUE(startupMessages().empty()) << "during the draw a missing picture is silent";
    }
    Application second(dir.path(), services);
    ASSERT_TRUE(second.startApplication());
    EXPECT_EQ(startupMessages(),
              (std::vector<std::u16string>{u"奖品图加载失败:\n" + pathText(paths.prizeFolder / "奖品.png") +
                                           u"\n\n文件不存在"}));
}

} // namespace
} // namespace kelvora::test

namespace kelvora::test {
namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Space as the draw screen reads it: on the key's release.
void press(DrawRun& run) {
    run.advanceDraw();
    run.advanceDraw();
}

TEST_F(ApplicationTest, ARehearsalLeavesTheRealDrawAndHistoryAsTheyWere) {
    Application app(dir.path(), services);
    ASSERT_TRUE(app.startApplication());
    DrawRun& run = app.controller().run();
    run.startDraw();
    press(run);
    ASSERT_EQ(run.progress().drawnCount, 2);
    const std::string realProgress = fileBytes(paths.progressFile);
    const DrawProgress realState = run.progress();

    messages.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(app.rehearsal().toggle());
    EXPECT_TRUE(app.rehearsal().active());
    EXPECT_FALSE(run.drawStarted()) << "a rehearsal starts with no draw";
    EXPECT_EQ(app.controller().screen().infoBarText(), u"彩排");
    const std::filesystem::path rehearsalProgress = app.records().paths.progressFile;
    EXPECT_NE(rehearsalProgress, paths.progressFile);

    // Three presses and Ctrl+F in the rehearsal: its own files, none of the real ones.
    run.startDraw();
    press(run);
    EXPECT_EQ(app.controller().screen().infoBarText().rfind(u"【彩排】一等奖", 0), 0u);
    ASSERT_TRUE(std::filesystem::exists(rehearsalProgress));
    messages.answers = {MessageAnswer::Yes};
    app.controller().endDraw();
    EXPECT_FALSE(std::filesystem::exists(rehearsalProgress));
    EXPECT_FALSE(std::filesystem::exists(paths.historyFolder)) << "the history went into the rehearsal";
    run.startDraw();
    press(run);
    EXPECT_EQ(fileBytes(paths.progressFile), realProgress);

    // Names scrolling: no switch. Then off: the rehearsal goes, the real draw comes back.
    run.advanceDraw();
    messages.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(app.rehearsal().toggle());
    EXPECT_EQ(messages.lastText(), kRehearsalWhileScrollingText);
    run.advanceDraw();
    messages.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(app.rehearsal().toggle());
    EXPECT_FALSE(app.rehearsal().active());
    EXPECT_EQ(app.records().paths.progressFile, paths.progressFile);
    EXPECT_FALSE(std::filesystem::exists(rehearsalProgress.parent_path().parent_path()));
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().drawnCount, realState.drawnCount);
    EXPECT_EQ(run.progress().pool.size(), realState.pool.size());
    EXPECT_EQ(fileBytes(paths.progressFile), realProgress);
    EXPECT_FALSE(std::filesystem::exists(paths.historyFolder));
}

TEST_F(ApplicationTest, AProgramThatDiesInARehearsalRestartsInIt) {
    std::filesystem::path rehearsalProgress;
    {
        Application first(dir.path(), services);
        ASSERT_TRUE(first.startApplication());
        messages.answers = {MessageAnswer::Yes};
        ASSERT_TRUE(first.rehearsal().toggle());
        DrawRun& run = first.controller().run();
        run.startDraw();
        press(run);
        rehearsalProgress = first.records().paths.progressFile;
        // Killed here: nothing more is written.
    }
    ASSERT_TRUE(std::filesystem::exists(rehearsalProgress));
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile));
    Application second(dir.path(), services);
    ASSERT_TRUE(second.startApplication());
    EXPECT_TRUE(second.rehearsal().active());
    EXPECT_EQ(second.controller().run().progress().drawnCount, 2) << "the rehearsal's own draw";
    EXPECT_EQ(second.controller().screen().infoBarText().rfind(u"【彩排】", 0), 0u);

    // Quitting throws it away.
    second.shutdownApplication();
    EXPECT_FALSE(std::filesystem::exists(rehearsalProgress.parent_path().parent_path()));
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile));
}

} // namespace
} // namespace kelvora::test
