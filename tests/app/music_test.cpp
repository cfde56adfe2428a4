// The music inside the program: the hot keys through the command registry, the draw's scroll and winning
// music, the music settings applied on closing, and a machine without sound, or with a stalled one, that
// draws all the same.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/application.h"
#include "app_test_support.h"
#include "audio/audio_fixtures.h"
#include "audio/music_player_hooks.h"
#include "audio/music_slots.h"
#include "draw_fixture.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

using namespace std::chrono_literals;

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class MusicInTheProgram : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        ASSERT_TRUE(savePrizes(paths, PrizeList{makePrize(u"一等奖", 2, 1), makePrize(u"特等奖", 1, 1)}));
        TextNameList list;
        list.entries = makeNames(8);
        ASSERT_TRUE(saveTextNameList(paths, list));
        ASSERT_TRUE(saveDrawMode(paths, DrawMode{kTextMode}));
        InterfaceSettings look;
        look.backgroundImage[0] = 0;
        ASSERT_TRUE(saveInterfaceSettings(paths, look));
        if (std::getenv("KELVORA_NO_SOUND_CHILD"))
            return; // the real sinks, ranked out by the parent
        if (!audioToolsPresent())
            GTEST_SKIP() << "sox is needed to make the test music";
        useNullSink();
        std::filesystem::create_directories(paths.musicFolder);
        // The default names; the players recognise the content, not the extension.
        for (const char* name : {"滚动1.mp3", "中奖1.mp3", "颁奖.mp3", "星河传说.mp3", "Encore une Fois.mp3"})
            ASSERT_TRUE(makeWav(paths.musicFolder / name, 1.5));
    }
    void TearDown() override {
        if (m_app)
            m_app->controller().stop();
        setMusicPrerollTimeoutForTests(0ms);
    }
    Application& start() {
        m_app = std::make_unique<Application>(dir.path(), services);
        EXPECT_TRUE(m_app->startApplication());
        return *m_app;
    }
    const MusicPlayer* slot(MusicSlot which) { return m_app->controller().music().player(which); }
    bool playing(MusicSlot which) { return slot(which) && slot(which)->isPlaying(); }
    bool allSlotsEmpty() {
        for (int i = 0; i < kMusicSlotCount; ++i)
            if (slot(static_cast<MusicSlot>(i)))
                return false;
        return true;
    }

    std::unique_ptr<Application> m_app;
};

TEST_F(MusicInTheProgram, TheHotKeysSwitchTheBackgroundTracks) {
    Application& app = start();
    ASSERT_TRUE(app.commands().trigger(CommandId::BackgroundMusic1));
    EXPECT_TRUE(playing(MusicSlot::Background1));
    ASSERT_TRUE(app.commands().trigger(CommandId::BackgroundMusic2));
    EXPECT_FALSE(playing(MusicSlot::Background1));
    EXPECT_TRUE(playing(MusicSlot::Background2));
    ASSERT_TRUE(app.commands().trigger(CommandId::BackgroundMusic2));
    EXPECT_FALSE(playing(MusicSlot::Background2));
    ASSERT_TRUE(app.commands().trigger(CommandId::BackgroundMusic3));
    EXPECT_TRUE(playing(MusicSlot::Background3));
    EXPECT_FALSE(std::filesystem::exists(musicLogPath(dir.path()))) << "nothing went wrong";
}

TEST_F(MusicInTheProgram, ADrawScrollsWithItsMusicAndEachStopStartsTheWinningMusic) {
    Application& app = start();
    DrawRun& run = app.controller().run();
    app.commands().trigger(CommandId::BackgroundMusic1);
    run.startDraw();
    ASSERT_NE(slot(MusicSlot::Scroll), nullptr) << "the draw's start prepares the scroll player";
    EXPECT_FALSE(playing(MusicSlot::Scroll));
    run.advanceDraw();
    EXPECT_TRUE(playing(MusicSlot::Scroll));
    run.advanceDraw();
    EXPECT_FALSE(playing(MusicSlot::Scroll)) << "a stop pauses the scroll music";
    EXPECT_TRUE(playing(MusicSlot::Win));

    // The switches are the draw's to read: off, nothing starts.
    app.records().music.scrollMusicOn = 0;
    app.records().music.winMusicOn = 0;
    app.controller().music().release(MusicSlot::Win);
    run.advanceDraw();
    EXPECT_FALSE(playing(MusicSlot::Scroll));
    run.advanceDraw();
    EXPECT_EQ(slot(MusicSlot::Win), nullptr);

    messages.answers = {MessageAnswer::Yes};
    app.controller().endDraw();
    EXPECT_EQ(slot(MusicSlot::Scroll), nullptr)
        << "the end of a draw releases the scroll and winning players";
    EXPECT_TRUE(playing(MusicSlot::Background1)) << "the background track plays on";
    app.controller().stop();
    EXPECT_EQ(slot(MusicSlot::Background1), nullptr) << "exit releases all five";
}

TEST_F(MusicInTheProgram, ClosingTheSettingsSavesAnnouncesAndReloadsThePlayers) {
    Application& app = start();
    QSignalSpy changes(&app.controller(), &ShowController::recordsChanged);
    MusicSettings settings;
    settings.scrollMusicOn = 0;
    settings.volume = 40;
    app.controller().setMusicVolume(40);
    EXPECT_TRUE(app.controller().applyMusicSettings(settings));
    EXPECT_EQ(app.records().music, settings);
    MusicSettings saved;
    ASSERT_TRUE(loadMusicSettings(paths, saved));
    EXPECT_EQ(saved, settings);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].value<RecordKinds>(), RecordKinds(RecordKind::Music));
    ASSERT_NE(slot(MusicSlot::Scroll), nullptr) << "prepared although the switch is off";
    EXPECT_FALSE(playing(MusicSlot::Scroll));
    EXPECT_NE(slot(MusicSlot::Win), nullptr);
    EXPECT_NE(slot(MusicSlot::Background3), nullptr);
    EXPECT_TRUE(messages.shown.empty());

    // A save that fails is reported; the settings apply all the same. (The program's folder is a file here.)
    const std::filesystem::path notAFolder = dir.path() / "program";
    std::ofstream(notAFolder) << "x";
    Application blocked{notAFolder, services};
    QSignalSpy blockedChanges(&blocked.controller(), &ShowController::recordsChanged);
    settings.volume = 70;
    EXPECT_FALSE(blocked.controller().applyMusicSettings(settings));
    EXPECT_EQ(blocked.records().music.volume, 70);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText().rfind(u"写文件失败:\n", 0), 0u) << u8(messages.lastText());
    EXPECT_EQ(blockedChanges.size(), 1);
}

// Without a sound output (the real sinks ranked out, as on a machine without a sound card) the program draws
// and exits as usual and the log says once that there is no music.
TEST_F(MusicInTheProgram, WithoutSoundTheShowGoesOnAndTheLogSaysSoOnce) {
    if (!std::getenv("KELVORA_NO_SOUND_CHILD")) {
        const std::string command =
            "env -u KELVORA_AUDIO_SINK KELVORA_NO_SOUND_CHILD=1 "
            "GST_PLUGIN_FEATURE_RANK=pulsesink:NONE,alsasink:NONE,jackaudiosink:NONE,oss4sink:NONE,osssink:"
            "NONE,"
            "pipewiresink:NONE '" +
            std::filesystem::read_symlink("/proc/self/exe").string() +
            "' --gtest_filter=MusicInTheProgram.WithoutSoundTheShowGoesOnAndTheLogSaysSoOnce";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return;
    }
    std::filesystem::create_directories(paths.musicFolder);
    std::ofstream(paths.musicFolder / "颁奖.mp3") << "anything";
    Application& app = start();
    DrawRun& run = app.controller().run();
    app.commands().trigger(CommandId::BackgroundMusic1);
    run.startDraw();
    run.advanceDraw();
    run.advanceDraw();
    ASSERT_EQ(run.progress().drawnCount, 1);
    // Each player finds out for itself, as it opens, that there is no output.
    EXPECT_TRUE(waitUntil([&] { return allSlotsEmpty(); }, 5s));
    app.controller().stop();
    const std::string log = readAll(musicLogPath(dir.path()));
    const std::string off = u8(kMusicOffText);
    EXPECT_NE(log.find(off), std::string::npos) << log;
    EXPECT_EQ(log.find(off), log.rfind(off)) << "once";
}

// A sound output that never takes the music (a stalled sound server) must not freeze the draw screen: each
// press returns at once, the frame timer keeps ticking, the draw goes on, and once the players give up the
// log names the music that failed.
TEST_F(MusicInTheProgram, AStalledOutputKeepsTheDrawResponsive) {
    useNullSink(kNeverPrerollingSink);
    setMusicPrerollTimeoutForTests(500ms);
    Application& app = start();
    DrawRun& run = app.controller().run();
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start();
    sinceTick.restart();

    std::chrono::milliseconds slowest{0};
    for (const auto& press :
         {std::function<void()>([&] { run.startDraw(); }),   // prepares the scroll music
          std::function<void()>([&] { run.advanceDraw(); }), // scrolls with it
          std::function<void()>([&] { run.advanceDraw(); }), // stops: the winning music
          std::function<void()>([&] { app.commands().trigger(CommandId::BackgroundMusic1); })}) {
        slowest = std::max(slowest, timed(press));
        processEventsFor(50ms);
    }
    EXPECT_LT(slowest, 1000ms) << "the slowest press";
    EXPECT_EQ(run.progress().drawnCount, 1) << "the draw went on";
    EXPECT_TRUE(waitUntil([&] { return allSlotsEmpty(); }, 5s));
    processEventsFor(100ms);
    EXPECT_LT(longestGap, 1000) << "the longest wait between two ticks of a 20 ms timer, in ms";

    app.controller().stop();
    const std::string log = readAll(musicLogPath(dir.path()));
    for (const char* music : {"滚动音乐播放失败:", "中奖音乐播放失败:", "背景音乐播放失败:"})
        EXPECT_NE(log.find(music), std::string::npos) << music << "\n" << log;
}

} // namespace
} // namespace kelvora::test
