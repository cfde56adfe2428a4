#include "audio/music_slots.h"

#include <QTimer>

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
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
    void TearDown() override {
        m_slots.reset();
        setMusicPrerollTimeoutForTests(0ms);
    }

    const MusicPlayer* bg(int track) const {
        return m_slots->player(static_cast<MusicSlot>(static_cast<int>(MusicSlot::Background1) + track - 1));
    }
    bool playing(const MusicPlayer* p) const { return p && p->isPlaying(); }
    // Playing, and prerolled so that its position means something.
    bool sounding(const MusicPlayer* p) const {
        return playing(p) && test::waitUntil([p] { return p->isReady(); }, 5s);
    }
    std::u16string path(std::u16string_view name) const { return (s_dir->path() / name).u16string(); }
    bool allEmpty() const {
        for (int i = 0; i < kMusicSlotCount; ++i)
            if (m_slots->player(static_cast<MusicSlot>(i)))
                return false;
        return true;
    }
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
    ASSERT_TRUE(sounding(one));
    ASSERT_TRUE(test::waitUntil([&] { return one->positionMs() >= 300; }, 5s));
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
    // Well past the start: a restart from 0:00 could not be there yet.
    EXPECT_GE(one->positionMs(), pausedAt - 100) << "resumed where it paused, not from the start";

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
    ASSERT_TRUE(test::waitUntil([&] { return scroll->positionMs() >= 150; }, 5s));
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
    ASSERT_TRUE(sounding(win));
    ASSERT_TRUE(test::waitUntil([&] { return win->positionMs() >= 250; }, 5s));
    m_slots->startWinMusic();
    EXPECT_EQ(m_slots->player(MusicSlot::Win), win);
    // It had played past 250 ms; the restart's seek may have let a few milliseconds play already.
    EXPECT_LT(win->positionMs(), 150) << "the next stop restarts it, though it was still playing";

    // Played to its end it waits, paused at its start, until the next stop.
    EXPECT_TRUE(test::waitUntil([&] { return !win->isPlaying(); }, 5s));
    test::processEventsFor(250ms);
    EXPECT_FALSE(win->isPlaying());
    EXPECT_TRUE(test::waitUntil([&] { return win->positionMs() == 0; }, 5s));
    m_slots->startWinMusic();
    EXPECT_TRUE(win->isPlaying());
}

// A scroll track shorter than the scrolling loops, and it restarts on the end-of-track wake-up, not on the
// 100 ms timer: with no timer at all it must still loop. (How short the silence is depends on the machine's
// load; that the restart needs no timer tick does not.)
TEST_F(MusicSlotsTest, AShortScrollTrackLoopsOnTheEndOfTrackWakeUp) {
    test::useNullSink("fakesink name=out sync=true signal-handoffs=true");
    // Never destroyed: a player's pipeline is taken down on its own thread after the test, and a last
    // handoff may come while the process exits.
    static std::mutex& mutex = *new std::mutex;
    static std::vector<GstClockTime>& rendered = *new std::vector<GstClockTime>;
    {
        std::lock_guard lock(mutex);
        rendered.clear();
    }
    setMusicPipelineObserverForTests([](GstElement* pipeline) {
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
        ASSERT_NE(sink, nullptr);
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*, gpointer) {
                             std::lock_guard lock(mutex);
                             rendered.push_back(GST_BUFFER_PTS(buffer));
                         }),
                         nullptr);
        gst_object_unref(sink);
    });
    m_slots->prepareScrollMusic();
    setMusicPipelineObserverForTests({});
    m_slots->startScrollMusic();
    const auto restarts = [] {
        std::lock_guard lock(mutex);
        int count = 0;
        for (std::size_t i = 1; i < rendered.size(); ++i)
            count += rendered[i] < rendered[i - 1];
        return count;
    };
    EXPECT_TRUE(test::waitUntil([&] { return restarts() >= 2; }, 10s)) << restarts() << " restarts";
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Scroll)));
    m_slots->rewindScrollMusic();
}

TEST_F(MusicSlotsTest, FilesThatDoNotPlayLeaveTheirSlotEmptyAndAreLogged) {
    setName(m_settings.backgroundFile1, u"letter.mp3");
    setName(m_settings.scrollMusicFile, u"gone.mp3");
    setName(m_settings.winMusicFile, u"");
    m_slots->backgroundHotKey(1);
    // Found out as it prerolls, not before.
    EXPECT_TRUE(test::waitUntil([&] { return bg(1) == nullptr; }, 5s));
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
    EXPECT_TRUE(sounding(bg(1)));
}

TEST_F(MusicSlotsTest, APlaybackErrorEmptiesThatSlotOnly) {
    std::vector<GstElement*> pipelines;
    setMusicPipelineObserverForTests([&](GstElement* p) { pipelines.push_back(p); });
    m_slots->startScrollMusic();
    m_slots->backgroundHotKey(2);
    m_slots->startWinMusic();
    setMusicPipelineObserverForTests({});
    ASSERT_EQ(pipelines.size(), 3u);
    ASSERT_TRUE(sounding(bg(2)));
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "device went away");
    gst_element_post_message(pipelines[1], gst_message_new_error(GST_OBJECT(pipelines[1]), error, nullptr));
    g_error_free(error);
    ASSERT_TRUE(test::waitUntil([&] { return bg(2) == nullptr; }, 5s));
    EXPECT_TRUE(logged(u"背景音乐播放异常:\n" + path(u"two.mp3") + u"\n\ndevice went away"));
    const MusicPlayer* scroll = m_slots->player(MusicSlot::Scroll);
    ASSERT_TRUE(sounding(scroll));
    EXPECT_TRUE(playing(m_slots->player(MusicSlot::Win)));
    const std::int64_t before = scroll->positionMs();
    EXPECT_TRUE(test::waitUntil([&] { return scroll->positionMs() != before; }, 5s))
        << "the others keep playing";

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
    ASSERT_TRUE(test::waitUntil([&] { return scroll->isReady(); }, 5s));
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
    EXPECT_LT(bg(2)->positionMs(), 1000) << "from its start";
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
    const auto last = [&] {
        std::lock_guard lock(mutex);
        return rms.empty() ? 0.0 : rms.back();
    };
    m_settings.volume = 100;
    m_slots->backgroundHotKey(1);
    ASSERT_TRUE(test::waitUntil([&] { return last() < 0.0; }, 5s)) << "measured at full level";
    const double loud = last();
    m_slots->setVolume(25);
    // Buffers measured before the change may still arrive; then the new level holds.
    EXPECT_TRUE(test::waitUntil([&] { return last() < loud - 20.0; }, 5s));
    test::processEventsFor(100ms);
    setMusicBusObserverForTests({});
    EXPECT_NEAR(last() - loud, -30.1, 1.0);
}

// Without a sound output nothing plays and the log says so once; every use asks again, so a speaker plugged
// in later is heard at the next use, without a restart.
TEST_F(MusicSlotsTest, WithoutSoundNothingPlaysUntilASpeakerIsPluggedIn) {
    test::NoSpeakers speakers;
    m_slots->backgroundHotKey(1);
    m_slots->prepareScrollMusic();
    m_slots->startWinMusic();
    m_slots->reloadAfterSettings(false);
    m_slots->startScrollMusic();
    m_slots->loopTick();
    EXPECT_TRUE(test::waitUntil([&] { return allEmpty(); }, 5s));
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), std::u16string(kMusicOffText)), 1);
    EXPECT_EQ(m_log.size(), 1u);

    speakers.plugIn();
    m_slots->backgroundHotKey(1);
    ASSERT_TRUE(sounding(bg(1))) << "the next use finds the new speaker";
    EXPECT_TRUE(test::waitUntil([&] { return bg(1)->positionMs() > 0; }, 5s));
    EXPECT_EQ(m_log.size(), 1u);
}

// A stalled sound output must not stall the draw: every call returns at once, each slot gives up on its
// player when the preroll times out, logs it and tries again at its next use, and a player released while it
// stalls is taken down elsewhere. Three ways to stall: a preroll that never ends, a streaming thread that
// sleeps in every buffer (so taking the pipeline down waits), and a state change that blocks (a pipe nobody
// reads).
TEST_F(MusicSlotsTest, AStalledOutputNeverHoldsTheDraw) {
    test::TempDir pipes;
    const auto pipe = pipes.path() / "nobody-reads.fifo";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string blocking = "filesink location=" + pipe.string();
    const auto failed = [&](std::u16string_view what, std::u16string_view file) {
        return std::u16string(what) + u"播放失败:\n" + path(file) + u"\n\n别的文件伪装成 mp3/wav";
    };
    std::chrono::milliseconds slowest{0};
    const auto call = [&](const std::function<void()>& f) { slowest = std::max(slowest, test::timed(f)); };
    for (const std::string& sink :
         {std::string(test::kNeverPrerollingSink), std::string(test::kHangingSink), blocking}) {
        SCOPED_TRACE(sink);
        test::useNullSink(sink.c_str());
        setMusicPrerollTimeoutForTests(400ms);
        m_log.clear();
        call([&] { m_slots->prepareScrollMusic(); });
        call([&] { m_slots->startScrollMusic(); });
        call([&] { m_slots->loopTick(); });
        call([&] { m_slots->rewindScrollMusic(); });
        call([&] { m_slots->startWinMusic(); });
        call([&] { m_slots->backgroundHotKey(1); });
        call([&] { m_slots->backgroundHotKey(2); });
        call([&] { m_slots->setVolume(50); });
        ASSERT_NE(m_slots->player(MusicSlot::Scroll), nullptr) << "waiting for its preroll";
        EXPECT_EQ(m_slots->player(MusicSlot::Scroll)->positionMs(), 0);
        EXPECT_TRUE(m_log.empty());

        EXPECT_TRUE(test::waitUntil([&] { return allEmpty(); }, 5s));
        for (const auto& text : {failed(u"滚动音乐", u"scroll.mp3"), failed(u"中奖音乐", u"win.wav"),
                                 failed(u"背景音乐", u"one.wav"), failed(u"背景音乐", u"two.mp3")})
            EXPECT_EQ(std::count(m_log.begin(), m_log.end(), text), 1) << test::u8(text);

        // Released while it stalls, long before any timeout.
        setMusicPrerollTimeoutForTests(0ms);
        call([&] { m_slots->backgroundHotKey(3); });
        test::processEventsFor(100ms);
        call([&] { m_slots->releaseAll(); });
    }
    EXPECT_LT(slowest, 1000ms) << "the slowest call";

    // The output recovers: the next use of a slot plays.
    test::useNullSink();
    m_slots->startWinMusic();
    EXPECT_TRUE(sounding(m_slots->player(MusicSlot::Win)));
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
