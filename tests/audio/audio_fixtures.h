#pragma once
// Generated music for the audio tests (sox for wav, lame for mp3) and the Qt application and null sink the
// players need.

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora::test {

// A sine tone of the given length; false when the tool is missing or failed.
bool makeWav(const std::filesystem::path& file, double seconds, int frequency = 440, double amplitude = 0.5);
bool makeMp3(const std::filesystem::path& file, double seconds, int frequency = 440);
// A variable-bitrate mp3 without the header that states its length: loud noise (a high bitrate) and then a
// quiet tone (a low one), so that the duration first estimated from the opening frames is far too short.
bool makeVbrMp3WithoutLengthHeader(const std::filesystem::path& file, double noiseSeconds,
                                   double toneSeconds);
bool audioToolsPresent();

// Processes Qt events until done() holds or the time is up; returns done().
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
void processEventsFor(std::chrono::milliseconds time);
// How long call took, processing no events meanwhile.
std::chrono::milliseconds timed(const std::function<void()>& call);

// The sink every player of the tests plays into: fake, clock-paced, never a sound card.
void useNullSink(const char* description = "fakesink sync=true");
// A sink that never finishes its preroll: what a stalled sound server looks like to a player.
inline constexpr const char* kNeverPrerollingSink = "valve drop=true ! fakesink sync=true";
// A sink whose streaming thread sleeps 3 s in every buffer: taking its pipeline down waits for the sleep.
inline constexpr const char* kHangingSink = "identity sleep-time=3000000 ! fakesink sync=true";

// While it lives: no sink named for the players, every audio sink of the registry ranked out (as on a
// machine without a sound card), and a test speaker that can be plugged in and out.
class NoSpeakers {
public:
    NoSpeakers();
    ~NoSpeakers();
    NoSpeakers(const NoSpeakers&) = delete;
    NoSpeakers& operator=(const NoSpeakers&) = delete;
    void plugIn();
    void unplug();

private:
    std::string m_sink;
    bool m_hadSink = false;
    std::vector<std::pair<std::string, unsigned>> m_ranks;
};

} // namespace kelvora::test
