#include "audio/music_player.h"

#include <QThread>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <utility>
#include <vector>

#include "audio/audio_fixtures.h"
#include "audio/music_player_hooks.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using test::makeMp3;
using test::makeWav;

// What a player reported through its failure callback, and on which thread.
struct Failures {
    std::vector<std::pair<MusicFailure, std::u16string>> seen;
    bool offUiThread = false;
    MusicPlayer::FailureCallback callback() {
        return [this](MusicFailure failure, const std::u16string& reason) {
            seen.emplace_back(failure, reason);
            offUiThread = offUiThread || QThread::currentThread() != QCoreApplication::instance()->thread();
        };
    }
};

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::audioToolsPresent())
            GTEST_SKIP() << "sox and lame are needed to make the test music";
        test::useNullSink();
    }
    void TearDown() override { setMusicPrerollTimeoutForTests(0ms); }
    test::TempDir m_dir;
};

TEST(MusicVolume, AttenuationFromTheSetting) {
    EXPECT_EQ(volumeToAttenuation(100), 0);
    EXPECT_EQ(volumeToAttenuation(25), -3010);
    EXPECT_EQ(volumeToAttenuation(80), -484); // truncated toward zero, not rounded down
    EXPECT_EQ(volumeToAttenuation(0), -10000);
    EXPECT_EQ(volumeToAttenuation(-5), -10000);
}

TEST_F(MusicPlayerTest, OpensPrerolledAndPlaysSeeksAndClampsMp3AndWav) {
    for (const char* name : {"tone.mp3", "tone.wav"}) {
        SCOPED_TRACE(name);
        const auto file = m_dir.path() / name;
        ASSERT_TRUE(std::string(name).ends_with("mp3") ? makeMp3(file, 1.0) : makeWav(file, 1.0));
        MusicPlayer player;
        ASSERT_TRUE(player.open(file, {})) << test::u8(player.errorText());
        EXPECT_TRUE(player.isOpen());
        EXPECT_FALSE(player.isReady()) << "open() does not wait for the preroll";
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.path(), file);
        ASSERT_TRUE(test::waitUntil([&] { return player.isReady(); }, 5s));
        EXPECT_NEAR(static_cast<double>(player.stopPositionMs()), 1000.0, 60.0);
        EXPECT_EQ(player.positionMs(), 0);
        EXPECT_FALSE(player.isAtEnd());

        ASSERT_TRUE(player.run());
        EXPECT_TRUE(player.isPlaying());
        EXPECT_TRUE(test::waitUntil([&] { return player.positionMs() >= 150; }, 5s)) << "playing moves on";
        ASSERT_TRUE(player.pause());
        EXPECT_FALSE(player.isPlaying());

        player.seek(-40);
        EXPECT_EQ(player.positionMs(), 0) << "below 0 clamps to 0, read as done at once";
        EXPECT_TRUE(test::waitUntil([&] { return player.positionMs() == 0; }, 5s));
        player.seek(player.stopPositionMs() + 5000);
        EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 5s))
            << "past the end clamps to the end";
        EXPECT_NEAR(static_cast<double>(player.stopPositionMs()), 1000.0, 60.0) << "the stop position stays";

        player.close();
        EXPECT_FALSE(player.isOpen());
        EXPECT_FALSE(player.run());
    }
}

TEST_F(MusicPlayerTest, ATrackPlayedToItsEndIsAtEnd) {
    const auto file = m_dir.path() / "short.wav";
    ASSERT_TRUE(makeWav(file, 0.3));
    MusicPlayer player;
    ASSERT_TRUE(player.open(file, {}));
    // Asked before the preroll is done: it plays as soon as it is.
    ASSERT_TRUE(player.run());
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 5s));
    player.seek(0);
    EXPECT_FALSE(player.isAtEnd()) << "a seek leaves the end";
}

// The answer comes later, through the callback: open() itself never waits for the file.
TEST_F(MusicPlayerTest, FilesThatAreNotAudioFailThroughTheCallback) {
    const auto text = m_dir.path() / "letter.mp3";
    {
        std::FILE* f = std::fopen(text.c_str(), "w");
        ASSERT_NE(f, nullptr);
        for (int i = 0; i < 200; ++i)
            std::fputs("Dear colleagues, the party starts at seven.\n", f);
        std::fclose(f);
    }
    const auto missing = m_dir.path() / "missing.mp3";
    for (const auto& file : {text, missing, m_dir.path()}) {
        SCOPED_TRACE(file.string());
        Failures failures;
        MusicPlayer player;
        ASSERT_TRUE(player.open(file, failures.callback()));
        EXPECT_TRUE(player.run()) << "asked before anything is known";
        ASSERT_TRUE(test::waitUntil([&] { return !failures.seen.empty(); }, 5s));
        test::processEventsFor(50ms);
        ASSERT_EQ(failures.seen.size(), 1u) << "reported once";
        EXPECT_EQ(failures.seen[0].first, MusicFailure::Open);
        EXPECT_FALSE(failures.seen[0].second.empty());
        EXPECT_FALSE(failures.offUiThread);
        EXPECT_FALSE(player.isOpen()) << "a failed player has closed itself";
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.errorText(), failures.seen[0].second);
        EXPECT_FALSE(player.run());
    }
    MusicPlayer once;
    ASSERT_TRUE(once.open(text, {}));
    once.close();
    EXPECT_FALSE(once.open(text, {})) << "a player is opened only once";
}

TEST_F(MusicPlayerTest, AnErrorDuringPlaybackArrivesOnTheUiThread) {
    const auto file = m_dir.path() / "tone.wav";
    ASSERT_TRUE(makeWav(file, 1.0));
    GstElement* pipeline = nullptr;
    setMusicPipelineObserverForTests([&](GstElement* p) { pipeline = p; });
    MusicPlayer player;
    Failures failures;
    ASSERT_TRUE(player.open(file, failures.callback()));
    setMusicPipelineObserverForTests({});
    ASSERT_NE(pipeline, nullptr);
    ASSERT_TRUE(player.run());
    ASSERT_TRUE(test::waitUntil([&] { return player.isReady(); }, 5s));
    // What a failing decoder or sink posts.
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, "broken frame");
    gst_element_post_message(pipeline, gst_message_new_error(GST_OBJECT(pipeline), error, nullptr));
    g_error_free(error);
    EXPECT_TRUE(failures.seen.empty()) << "never from the posting thread directly";
    EXPECT_TRUE(test::waitUntil([&] { return !failures.seen.empty(); }, 5s));
    ASSERT_EQ(failures.seen.size(), 1u);
    EXPECT_EQ(failures.seen[0].first, MusicFailure::Playback);
    EXPECT_EQ(failures.seen[0].second, u"broken frame");
    EXPECT_FALSE(failures.offUiThread);
    EXPECT_FALSE(player.isOpen());
}

// A variable-bitrate mp3 without a length header: the duration first read is an estimate from the loud
// opening, far too short. The track must play to its real end all the same.
TEST_F(MusicPlayerTest, AVariableBitrateMp3PlaysToItsRealEnd) {
    const auto file = m_dir.path() / "vbr.mp3";
    ASSERT_TRUE(test::makeVbrMp3WithoutLengthHeader(file, 1.5, 3.0));
    constexpr std::int64_t kRealMs = 4500;
    MusicPlayer player;
    ASSERT_TRUE(player.open(file, {}));
    ASSERT_TRUE(player.run());
    std::int64_t firstEstimate = 0;
    std::int64_t lastPosition = 0;
    const bool ended = test::waitUntil(
        [&] {
            if (player.isAtEnd())
                return true;
            if (firstEstimate == 0)
                firstEstimate = player.stopPositionMs();
            lastPosition = std::max(lastPosition, player.positionMs());
            return false;
        },
        20s);
    ASSERT_TRUE(ended);
    ASSERT_GT(firstEstimate, 0);
    EXPECT_LT(firstEstimate, kRealMs - 700) << "the file under test misleads as intended";
    EXPECT_GT(lastPosition, kRealMs - 700) << "the end came only with the end of the stream";
    EXPECT_GE(player.stopPositionMs(), firstEstimate) << "the duration is read afresh";
}

// The level element after the volume measures what the sink is given.
TEST_F(MusicPlayerTest, TheAttenuationLowersTheMeasuredLevel) {
    test::useNullSink("level interval=50000000 ! fakesink sync=false");
    const auto file = m_dir.path() / "tone.wav";
    ASSERT_TRUE(makeWav(file, 0.5, 440, 0.8));
    auto measure = [&](std::int32_t attenuation) {
        std::mutex mutex;
        std::vector<double> peaks;
        setMusicBusObserverForTests([&](GstMessage* message) {
            const GstStructure* s = gst_message_get_structure(message);
            if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT || !s || !gst_structure_has_name(s, "level"))
                return;
            const GValue* list = gst_structure_get_value(s, "rms");
            GValueArray* array = static_cast<GValueArray*>(g_value_get_boxed(list));
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            const double rms = g_value_get_double(g_value_array_get_nth(array, 0));
            G_GNUC_END_IGNORE_DEPRECATIONS
            std::lock_guard lock(mutex);
            peaks.push_back(rms);
        });
        MusicPlayer player;
        EXPECT_TRUE(player.open(file, {}));
        player.setVolume(attenuation);
        EXPECT_TRUE(player.run());
        EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 5s));
        player.close();
        setMusicBusObserverForTests({});
        std::lock_guard lock(mutex);
        EXPECT_GE(peaks.size(), 4u);
        // The middle of the track: no edges of the tone.
        return peaks.size() > 2 ? peaks[peaks.size() / 2] : 0.0;
    };
    const double full = measure(volumeToAttenuation(100));
    const double quiet = measure(volumeToAttenuation(25));
    const double silent = measure(volumeToAttenuation(0));
    EXPECT_NEAR(full, 20 * std::log10(0.8 / std::sqrt(2.0)), 1.0) << "100 leaves the level as it is";
    EXPECT_NEAR(quiet - full, -30.1, 0.5) << "25 takes 30.1 dB off";
    EXPECT_LT(silent, -90.0);
}

} // namespace
} // namespace kelvora
