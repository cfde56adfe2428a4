// Start-up: the settings in their fixed order with their messages, the pictures' warnings, the display mode,
// and an interrupted draw resumed with its winners on screen.

#include <gtest/gtest.h>

#include <fstream>

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
