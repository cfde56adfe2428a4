#include "audio/audio_fixtures.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "audio/music_player_hooks.h"

namespace kelvora::test {

namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// One application for the whole program: the players deliver their bus messages through its event loop.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "audio_tests";
        static char* argv[] = {name, nullptr};
        m_app = new QCoreApplication(argc, argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QCoreApplication* m_app = nullptr;
};

const auto* g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

bool audioToolsPresent() {
    return std::system("command -v sox >/dev/null 2>&1 && command -v lame >/dev/null 2>&1") == 0;
}

bool makeWav(const std::filesystem::path& file, double seconds, int frequency, double amplitude) {
    const std::string command = "sox -q -n -r 44100 -c 2 -b 16 " + quoted(file) + " synth " +
                                std::to_string(seconds) + " sine " + std::to_string(frequency) + " vol " +
                                std::to_string(amplitude) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

bool makeMp3(const std::filesystem::path& file, double seconds, int frequency) {
    const std::filesystem::path wav = file.string() + ".source.wav";
    if (!makeWav(wav, seconds, frequency))
        return false;
    const std::string command = "lame --quiet -b 128 " + quoted(wav) + " " + quoted(file) + " 2>/dev/null";
    const bool ok = std::system(command.c_str()) == 0;
    std::filesystem::remove(wav);
    return ok;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < limit.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void processEventsFor(std::chrono::milliseconds time) {
    waitUntil([] { return false; }, time);
}

void useNullSink(const char* description) {
    setenv("KELVORA_AUDIO_SINK", description, 1);
    resetAudioOutputProbeForTests();
}

} // namespace kelvora::test
