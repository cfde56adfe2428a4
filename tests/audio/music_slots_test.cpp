#include "audio/music_slots.h"

#include <QTimer>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "audio/audio_fixtures.h"
#include "audio/music_player_hooks.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;

void setName(char16_t (&field)[MusicSettings::kFileNameUnits], std::u16string_view name) {
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy(name.begin(), name.end(), field);
}

// Five slots over generated tracks; the log is kept in memory.
class MusicSlotsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!test::audioToolsPresent())
            return;
        s_dir = new test::TempDir;
        const auto folder = s_dir->path();
        s_made =
            test::makeMp3(folder / "scroll.mp3", 0.4, 330) && test::makeWav(folder / "win.wav", 0.5, 660) &&
            test::makeWav(folder / "one.wav", 2.0, 440) && test::makeMp3(folder / "two.mp3", 2.0, 550) &&
            test::makeWav(folder / "three.wav", 2.0, 770) && test::makeWav(folder / "long.wav", 3.0, 220);
        std::FILE* f = std::fopen((folder / "letter.mp3").c_str(), "w");
        if (f) {
            for (int i = 0; i < 100; ++i)
                std::fputs("Minutes of the planning meeting for the annual party.\n", f);
            std::fclose(f);
        }
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override {
        if (!s_made)
            GTEST_SKIP() << "sox and lame are needed to make the test music";
        test::useNullSink();
        setName(m_settings.scrollMusicFile, u"scroll.mp3");
        setName(m_settings.winMusicFile, u"win.wav");
        setName(m_settings.backgroundFile1, u"one.wav");
        setName(m_settings.backgroundFile2, u"two.mp3");
        setName(m_settings.backgroundFile3, u"three.wav");
        m_slots = std::make_unique<MusicSlots>(
            m_settings, s_dir->path(), [this](std::u16string_view text) { m_log.emplace_back(text); });
    }
    void TearDown() override { m_slots.reset(); }

    const MusicPlayer* bg(int track) const {
        return m_slots->player(static_cast<MusicSlot>(static_cast<int>(MusicSlot::Background1) + track - 1));
    }
    bool playing(const MusicPlayer* p) const { return p && p->isPlaying(); }
    std::u16string path(std::u16string_view name) const { return (s_dir->path() / name).u16string(); }
    bool logged(const std::u16string& text) const {
        return std::find(m_log.begin(), m_log.end(), text) != m_log.end();
    }
    std::int64_t positionAfterSettling(const MusicPlayer* p) const {
        test::processEventsFor(30ms);
        return p->positionMs();
    }

    static inline test::TempDir* s_dir = nullptr;
    static inline bool s_made = false;
    MusicSettings m_settings;
    std::vector<std::u16string> m_log;
    std::unique_ptr<MusicSlots> m_slots;
};

TEST_F(MusicSlotsTest, HotKeysPlayOneBackgroundTrackAtATimeAndResumeWhereTheyPaused) {
    m_slots->backgroundHotKey(1);
    const MusicPlayer* one = bg(1);
    ASSERT_TRUE(playing(one)) << "Ctrl+1 plays track 1";
    EXPECT_FALSE(m_slots->backgroundPaused(1));
    m_slots->backgroundHotKey(1);
    EXPECT_EQ(bg(1), one);
    EXPECT_FALSE(playing(one)) << "Ctrl+1 again pauses it";
    EXPECT_TRUE(m_slots->backgroundPaused(1));

    m_slots->backgroundHotKey(1);
    ASSERT_TRUE(playing(one));
    ASSERT_TRUE(test::waitUntil([&] { return one->positionMs() >= 300; }, 2s));
    m_slots->backgroundHotKey(2);
    EXPECT_FALSE(playing(one)) << "Ctrl+2 pauses track 1";
    EXPECT_TRUE(playing(bg(2))) << "and starts track 2";
    const std::int64_t pausedAt = positionAfterSettling(one);
    EXPECT_GE(pausedAt, 300);

    m_slots->backgroundHotKey(1);
    EXPECT_EQ(bg(1), one) << "the same player, not a new one";
    EXPECT_TRUE(playing(one));
    EXPECT_FALSE(playing(bg(2)));
    EXPECT_TRUE(m_slots->backgroundPaused(2));
    EXPECT_GE(one->positionMs(), pausedAt - 20) << "resumed where it paused, not from the start";

    m_slots->backgroundHotKey(3);
    const int playingCount = playing(bg(1)) + playing(bg(2)) + playing(bg(3));
    EXPECT_EQ(playingCount, 1);
    EXPECT_TRUE(playing(bg(3)));
    EXPECT_TRUE(m_log.empty());
}

TEST_F(MusicSlotsTest, BackgroundTracksLeaveTheScrollAndWinningMusicAlone) {
    m_slots->prepareScrollMusic();
    m_slots->startScrollMusic();
    m_slots->backgroundHotKey(2);
    m_slots->backgroundHotKey(1);
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Scroll)));
    m_slots->startWinMusic();
    m_slots->backgroundHotKey(1);
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Scroll)));
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Win)));
}

TEST_F(MusicSlotsTest, TheScrollPlayerIsPreparedPausedRunsAndRewindsAtEachStop) {
    m_slots->prepareScrollMusic();
    const MusicPlayer* scroll = m_slots->player(MusicSlot::Scroll);
    ASSERT_NE(scroll, nullptr);
    EXPECT_FALSE(scroll->isPlaying());
    EXPECT_EQ(scroll->positionMs(), 0);
    m_slots->prepareScrollMusic();
    EXPECT_EQ(m_slots->player(MusicSlot::Scroll), scroll) << "a second draw start keeps the player";

    m_slots->startScrollMusic();
    EXPECT_TRUE(scroll->isPlaying());
    ASSERT_TRUE(test::waitUntil([&] { return scroll->positionMs() >= 150; }, 2s));
    m_slots->rewindScrollMusic();
    EXPECT_FALSE(scroll->isPlaying());
    EXPECT_EQ(positionAfterSettling(scroll), 0);
    EXPECT_EQ(m_slots->player(MusicSlot::Scroll), scroll) << "a stop keeps the player for the next scroll";

    m_slots->release(MusicSlot::Scroll);
    EXPECT_EQ(m_slots->player(MusicSlot::Scroll), nullptr);
}

TEST_F(MusicSlotsTest, EachStopStartsTheWinningMusicFromItsStartAndItPlaysOnlyOnce) {
    QTimer loop;
    loop.setInterval(100);
    QObject::connect(&loop, &QTimer::timeout, [this] { m_slots->loopTick(); });
    loop.start();

    m_slots->startWinMusic();
    const MusicPlayer* win = m_slots->player(MusicSlot::Win);
    ASSERT_TRUE(playing(win));
    ASSERT_TRUE(test::waitUntil([&] { return win->positionMs() >= 250; }, 2s));
    m_slots->startWinMusic();
    EXPECT_EQ(m_slots->player(MusicSlot::Win), win);
    EXPECT_LT(win->positionMs(), 100) << "the next stop restarts it, though it was still playing";

    // Played to its end it waits, paused at its start, until the next stop.
    EXPECT_TRUE(test::waitUntil([&] { return !win->isPlaying(); }, 2s));
    test::processEventsFor(250ms);
    EXPECT_FALSE(win->isPlaying());
    EXPECT_EQ(win->positionMs(), 0);
    m_slots->startWinMusic();
    EXPECT_TRUE(win->isPlaying());
}

// A scroll track shorter than the scrolling loops; the silence at each restart is measured at the sink.
TEST_F(MusicSlotsTest, AShortScrollTrackLoopsWithoutAnAudibleGap) {
    test::useNullSink("fakesink name=out sync=true signal-handoffs=true");
    struct Rendered {
        gint64 at;
        GstClockTime pts;
        GstClockTime duration;
    };
    static std::mutex mutex;
    static std::vector<Rendered> rendered;
    rendered.clear();
    setMusicPipelineObserverForTests([](GstElement* pipeline) {
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
        ASSERT_NE(sink, nullptr);
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*, gpointer) {
                             std::lock_guard lock(mutex);
                             rendered.push_back({g_get_monotonic_time(), GST_BUFFER_PTS(buffer),
                                                 GST_BUFFER_DURATION(buffer)});
                         }),
                         nullptr);
        gst_object_unref(sink);
    });
    QTimer loop;
    loop.setInterval(100);
    QObject::connect(&loop, &QTimer::timeout, [this] { m_slots->loopTick(); });
    loop.start();
    m_slots->prepareScrollMusic();
    setMusicPipelineObserverForTests({});
    m_slots->startScrollMusic();
    test::processEventsFor(1300ms); // three restarts of a 0.4 s track
    m_slots->rewindScrollMusic();

    std::lock_guard lock(mutex);
    int restarts = 0;
    gint64 longestGapUs = 0;
    for (std::size_t i = 1; i < rendered.size(); ++i) {
        if (rendered[i].pts >= rendered[i - 1].pts)
            continue;
        ++restarts;
        const gint64 endOfPrevious =
            rendered[i - 1].at + static_cast<gint64>(rendered[i - 1].duration / GST_USECOND);
        longestGapUs = std::max(longestGapUs, rendered[i].at - endOfPrevious);
    }
    EXPECT_GE(restarts, 2);
    // The timer alone would leave up to one period (100 ms) of silence; the end-of-track wake-up leaves a few
    // milliseconds.
    EXPECT_LT(longestGapUs, 50'000) << "the longest silence at a restart, in microseconds";
}

TEST_F(MusicSlotsTest, FilesThatDoNotPlayLeaveTheirSlotEmptyAndAreLogged) {
    setName(m_settings.backgroundFile1, u"letter.mp3");
    setName(m_settings.scrollMusicFile, u"gone.mp3");
    setName(m_settings.winMusicFile, u"");
    m_slots->backgroundHotKey(1);
    EXPECT_EQ(bg(1), nullptr);
    EXPECT_TRUE(logged(u"背景音乐播放失败:\n" + path(u"letter.mp3") + u"\n\n别的文件伪装成 mp3/wav"));
    m_slots->prepareScrollMusic();
    m_slots->startScrollMusic();
    EXPECT_EQ(m_slots->player(MusicSlot::Scroll), nullptr);
    EXPECT_TRUE(logged(u"滚动音乐不存在:\n" + path(u"gone.mp3")));
    m_slots->startWinMusic();
    EXPECT_EQ(m_slots->player(MusicSlot::Win), nullptr) << "an empty name is the folder, not a file";
    EXPECT_TRUE(logged(u"中奖音乐不存在:\n" + s_dir->path().u16string() + u"/"));

    // The slot is tried again at its next use.
    setName(m_settings.backgroundFile1, u"one.wav");
    m_slots->backgroundHotKey(1);
    EXPECT_TRUE(playing(bg(1)));
}

TEST_F(MusicSlotsTest, APlaybackErrorEmptiesThatSlotOnly) {
    std::vector<GstElement*> pipelines;
    setMusicPipelineObserverForTests([&](GstElement* p) { pipelines.push_back(p); });
    m_slots->startScrollMusic();
    m_slots->backgroundHotKey(2);
    m_slots->startWinMusic();
    setMusicPipelineObserverForTests({});
    ASSERT_EQ(pipelines.size(), 3u);
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "device went away");
    gst_element_post_message(pipelines[1], gst_message_new_error(GST_OBJECT(pipelines[1]), error, nullptr));
    g_error_free(error);
    ASSERT_TRUE(test::waitUntil([&] { return bg(2) == nullptr; }, 1s));
    EXPECT_TRUE(logged(u"背景音乐播放异常:\n" + path(u"two.mp3") + u"\n\ndevice went away"));
    const MusicPlayer* scroll = m_slots->player(MusicSlot::Scroll);
    ASSERT_TRUE(playing(scroll));
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Win)));
    const std::int64_t before = scroll->positionMs();
    test::processEventsFor(150ms);
    EXPECT_GT(scroll->positionMs(), before) << "the others keep playing";

    m_slots->backgroundHotKey(2);
    EXPECT_TRUE(playing(bg(2))) << "the emptied slot plays again at its next use";
}

TEST_F(MusicSlotsTest, ClosingTheSettingsReloadsEverySlotInOrder) {
    m_settings.scrollMusicOn = 0;
    m_slots->backgroundHotKey(2);
    m_slots->startWinMusic();
    const MusicPlayer* oldWin = m_slots->player(MusicSlot::Win);
    setName(m_settings.backgroundFile2, u"long.wav");

    m_slots->reloadAfterSettings(true);
    const MusicPlayer* scroll = m_slots->player(MusicSlot::Scroll);
    ASSERT_NE(scroll, nullptr) << "the switch off still prepares the scroll player";
    EXPECT_FALSE(scroll->isPlaying());
    EXPECT_EQ(scroll->positionMs(), 0);
    const MusicPlayer* win = m_slots->player(MusicSlot::Win);
    ASSERT_NE(win, nullptr);
    EXPECT_FALSE(win->isPlaying()) << "the winning player is rebuilt, paused";
    (void)oldWin;
    ASSERT_NE(bg(1), nullptr);
    EXPECT_FALSE(playing(bg(1)));
    EXPECT_TRUE(m_slots->backgroundPaused(1));
    ASSERT_TRUE(playing(bg(2))) << "the track that played goes on with its new file";
    EXPECT_EQ(bg(2)->path(), s_dir->path() / "long.wav");
    EXPECT_LT(bg(2)->positionMs(), 200);
    EXPECT_TRUE(m_slots->backgroundPaused(3));

    m_settings.scrollMusicOn = 1;
    m_slots->reloadScrollMusic(true);
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Scroll)))
        << "names scrolling with the switch on: it plays";
}

TEST_F(MusicSlotsTest, TheVolumeAppliesAtOnceToEveryPlayer) {
    test::useNullSink("level interval=20000000 ! fakesink sync=true");
    std::mutex mutex;
    std::vector<double> rms;
    setMusicBusObserverForTests([&](GstMessage* message) {
        const GstStructure* s = gst_message_get_structure(message);
        if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT || !s || !gst_structure_has_name(s, "level"))
            return;
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        auto* array = static_cast<GValueArray*>(g_value_get_boxed(gst_structure_get_value(s, "rms")));
        const double value = g_value_get_double(g_value_array_get_nth(array, 0));
        G_GNUC_END_IGNORE_DEPRECATIONS
        std::lock_guard lock(mutex);
        rms.push_back(value);
    });
    m_settings.volume = 100;
    m_slots->backgroundHotKey(1);
    test::processEventsFor(200ms);
    double loud = 0;
    {
        std::lock_guard lock(mutex);
        ASSERT_FALSE(rms.empty());
        loud = rms.back();
        rms.clear();
    }
    m_slots->setVolume(25);
    test::processEventsFor(200ms);
    setMusicBusObserverForTests({});
    std::lock_guard lock(mutex);
    ASSERT_FALSE(rms.empty());
    EXPECT_NEAR(rms.back() - loud, -30.1, 1.0);
}

TEST(MusicSlotsWithoutSound, NothingPlaysAndTheLogSaysSoOnce) {
    MusicSettings settings;
    std::vector<std::u16string> log;
    test::TempDir dir;
    setName(settings.backgroundFile1, u"x.wav");
    std::FILE* f = std::fopen((dir.path() / "x.wav").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    MusicSlots music(
        settings, dir.path(), [&](std::u16string_view text) { log.emplace_back(text); },
        [] { return false; });
    music.backgroundHotKey(1);
    music.prepareScrollMusic();
    music.startWinMusic();
    music.reloadAfterSettings(false);
    music.loopTick();
    for (int i = 0; i < kMusicSlotCount; ++i)
        EXPECT_EQ(music.player(static_cast<MusicSlot>(i)), nullptr);
    EXPECT_EQ(std::count(log.begin(), log.end(), std::u16string(kMusicOffText)), 1);
}

// The real probe, in a child process: the sinks' ranks must be set before GStreamer starts.
TEST(MusicSlotsWithoutSound, AutoaudiosinkFallingBackToAFakeSinkMeansNoOutput) {
    if (std::getenv("KELVORA_NO_SOUND_CHILD")) {
        EXPECT_FALSE(audioOutputAvailable());
        return;
    }
    const std::string command =
        "env -u KELVORA_AUDIO_SINK KELVORA_NO_SOUND_CHILD=1 "
        "GST_PLUGIN_FEATURE_RANK=pulsesink:NONE,alsasink:NONE,jackaudiosink:NONE,oss4sink:NONE,osssink:NONE,"
        "pipewiresink:NONE '" +
        std::filesystem::read_symlink("/proc/self/exe").string() +
        "' --gtest_filter=MusicSlotsWithoutSound."
        "AutoaudiosinkFallingBackToAFakeSinkMeansNoOutput >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(MusicLog, LinesAreAppendedWithATimestamp) {
    test::TempDir dir;
    const auto file = musicLogPath(dir.path());
    EXPECT_EQ(file.filename(), "kelvora.log");
    const MusicLog log = fileMusicLog(file);
    log(u"滚动音乐不存在:\n/a/b.mp3");
    log(u"second");
    std::FILE* in = std::fopen(file.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char buffer[512] = {};
    const std::size_t read = std::fread(buffer, 1, sizeof buffer - 1, in);
    std::fclose(in);
    const std::string text(buffer, read);
    const auto firstEnd = text.find('\n');
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_TRUE(text.substr(0, firstEnd).ends_with(" 滚动音乐不存在: | /a/b.mp3")) << text;
    EXPECT_EQ(text[4], '-');
    EXPECT_TRUE(text.ends_with(" second\n")) << text;
}

} // namespace
} // namespace kelvora
