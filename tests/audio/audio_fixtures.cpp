#include "audio/audio_fixtures.h"

#include <QElapsedTimer>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace kelvora::test {

namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

constexpr const char* kSpeaker = "kelvoratestspeaker";

// A fakesink that calls itself an audio sink, so that autoaudiosink takes it for a device.
GType speakerType() {
    static const GType type = [] {
        gst_object_unref(gst_element_factory_make("fakesink", nullptr)); // loads the parent type
        const GType parent = g_type_from_name("GstFakeSink");
        GTypeQuery query;
        g_type_query(parent, &query);
        return g_type_register_static_simple(
            parent, "KelvoraTestSpeaker", query.class_size,
            [](gpointer klass, gpointer) {
                gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Test speaker", "Sink/Audio",
                                                      "A sound output that comes and goes", "Kelvora tests");
            },
            query.instance_size, nullptr, GTypeFlags(0));
    }();
    return type;
}

void setRank(const char* name, unsigned rank) {
    if (GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), name)) {
        gst_plugin_feature_set_rank(feature, rank);
        gst_object_unref(feature);
    }
}

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

bool makeVbrMp3WithoutLengthHeader(const std::filesystem::path& file, double noiseSeconds,
                                   double toneSeconds) {
    const std::string base = file.string();
    const std::string noise = quoted(std::filesystem::path(base + ".noise.wav")),
                      tone = quoted(std::filesystem::path(base + ".tone.wav")),
                      joined = quoted(std::filesystem::path(base + ".joined.wav"));
    const std::string command =
        "sox -q -n -r 44100 -c 2 -b 16 " + noise + " synth " + std::to_string(noiseSeconds) +
        " whitenoise vol 0.5 2>/dev/null && sox -q -n -r 44100 -c 2 -b 16 " + tone + " synth " +
        std::to_string(toneSeconds) + " sine 440 vol 0.1 2>/dev/null && sox -q " + noise + " " + tone + " " +
        joined + " 2>/dev/null && lame --quiet -V 5 -t " + joined + " " + quoted(file) + " 2>/dev/null";
    const bool ok = std::system(command.c_str()) == 0;
    for (const char* part : {".noise.wav", ".tone.wav", ".joined.wav"})
        std::filesystem::remove(base + part);
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

std::chrono::milliseconds timed(const std::function<void()>& call) {
    QElapsedTimer timer;
    timer.start();
    call();
    return std::chrono::milliseconds(timer.elapsed());
}

void useNullSink(const char* description) {
    setenv("KELVORA_AUDIO_SINK", description, 1);
}

NoSpeakers::NoSpeakers() {
    gst_init_check(nullptr, nullptr, nullptr);
    if (const char* sink = std::getenv("KELVORA_AUDIO_SINK")) {
        m_hadSink = true;
        m_sink = sink;
        unsetenv("KELVORA_AUDIO_SINK");
    }
    static const bool registered = gst_element_register(nullptr, kSpeaker, GST_RANK_NONE, speakerType());
    EXPECT_TRUE(registered);
    GList* factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    for (GList* item = factories; item; item = item->next) {
        auto* factory = GST_ELEMENT_FACTORY(item->data);
        const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        const unsigned rank = gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory));
        if (!klass || !std::strstr(klass, "Sink") || !std::strstr(klass, "Audio") || rank == GST_RANK_NONE)
            continue;
        m_ranks.emplace_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), rank);
        gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory), GST_RANK_NONE);
    }
    gst_plugin_feature_list_free(factories);
}

NoSpeakers::~NoSpeakers() {
    unplug();
    for (const auto& [name, rank] : m_ranks)
        setRank(name.c_str(), rank);
    if (m_hadSink)
        setenv("KELVORA_AUDIO_SINK", m_sink.c_str(), 1);
}

void NoSpeakers::plugIn() {
    setRank(kSpeaker, GST_RANK_PRIMARY + 100);
}

void NoSpeakers::unplug() {
    setRank(kSpeaker, GST_RANK_NONE);
}

} // namespace kelvora::test
