#pragma once
// Generated music for the audio tests (sox for wav, lame for mp3) and the Qt application and null sink the
// players need.

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace kelvora::test {

// A sine tone of the given length; false when the tool is missing or failed.
bool makeWav(const std::filesystem::path& file, double seconds, int frequency = 440, double amplitude = 0.5);
bool makeMp3(const std::filesystem::path& file, double seconds, int frequency = 440);
bool audioToolsPresent();

// Processes Qt events until done() holds or the time is up; returns done().
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
void processEventsFor(std::chrono::milliseconds time);

// The sink every player of the tests plays into: fake, clock-paced, never a sound card.
void useNullSink(const char* description = "fakesink sync=true");

} // namespace kelvora::test
