#include "audio/music_player.h"

#include <QThread>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "audio/audio_fixtures.h"
#include "audio/music_player_hooks.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using test::makeMp3;
using test::makeWav;

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::audioToolsPresent())
            GTEST_SKIP() << "sox and lame are needed to make the test music";
        test::useNullSink();
    }
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
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.path(), file);
        EXPECT_NEAR(static_cast<double>(player.stopPositionMs()), 1000.0, 60.0);
        EXPECT_EQ(player.positionMs(), 0);
        EXPECT_FALSE(player.isAtEnd());

        ASSERT_TRUE(player.run());
        EXPECT_TRUE(player.isPlaying());
        EXPECT_TRUE(test::waitUntil([&] { return player.positionMs() >= 150; }, 2s)) << "playing moves on";
        ASSERT_TRUE(player.pause());
        EXPECT_FALSE(player.isPlaying());

        player.seek(-40);
        EXPECT_TRUE(test::waitUntil([&] { return player.positionMs() == 0; }, 1s)) << "below 0 clamps to 0";
        player.seek(player.stopPositionMs() + 5000);
        EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 1s))
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
    ASSERT_TRUE(player.run());
    EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 2s));
    player.seek(0);
    EXPECT_FALSE(player.isAtEnd()) << "a seek leaves the end";
}

TEST_F(MusicPlayerTest, FilesThatAreNotAudioDoNotOpen) {
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
        MusicPlayer player;
        EXPECT_FALSE(player.open(file, {}));
        EXPECT_FALSE(player.isOpen());
        EXPECT_FALSE(player.errorText().empty());
        EXPECT_FALSE(player.run());
    }
}

TEST_F(MusicPlayerTest, AnErrorDuringPlaybackArrivesOnTheUiThread) {
    const auto file = m_dir.path() / "tone.wav";
    ASSERT_TRUE(makeWav(file, 1.0));
    GstElement* pipeline = nullptr;
    setMusicPipelineObserverForTests([&](GstElement* p) { pipeline = p; });
    MusicPlayer player;
    std::vector<std::u16string> errors;
    Qt::HANDLE thread = nullptr;
    ASSERT_TRUE(player.open(file, [&](const std::u16string& e) {
        errors.push_back(e);
        thread = QThread::currentThreadId();
    }));
    setMusicPipelineObserverForTests({});
    ASSERT_NE(pipeline, nullptr);
    ASSERT_TRUE(player.run());
    // What a failing decoder or sink posts.
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, "broken frame");
    gst_element_post_message(pipeline, gst_message_new_error(GST_OBJECT(pipeline), error, nullptr));
    g_error_free(error);
    EXPECT_TRUE(errors.empty()) << "never from the posting thread directly";
    EXPECT_TRUE(test::waitUntil([&] { return !errors.empty(); }, 1s));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], u"broken frame");
    EXPECT_EQ(thread, QCoreApplication::instance()->thread()->currentThreadId());
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
        EXPECT_TRUE(test::waitUntil([&] { return player.isAtEnd(); }, 2s));
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
