#include "audio/music_player.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>

#include <gst/gst.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "audio/music_player_hooks.h"

namespace kelvora {

namespace {

// How long open() waits for the file to preroll before it gives up on it.
constexpr GstClockTime kPrerollTimeout = 10 * GST_SECOND;

struct Hooks {
    std::mutex mutex;
    std::function<void()> end;
    std::function<void(GstMessage*)> bus;
    std::function<void(GstElement*)> pipeline;
};

Hooks& hooks() {
    static Hooks instance;
    return instance;
}

bool gstreamerStarted() {
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    return started;
}

// Tests and odd set-ups name the sink (for example "level ! fakesink sync=true"); otherwise the desktop's
// own.
std::string sinkDescription() {
    const char* chosen = std::getenv("KELVORA_AUDIO_SINK");
    return chosen ? std::string(chosen) : std::string();
}

// A named sink may hold "{player}", which becomes a number counting the players this run has made, so that
// a recording sink writes each player's sound into a file of its own.
std::string numberedSink(std::string description) {
    static std::atomic<int> made{0};
    const std::string mark = "{player}";
    const std::size_t at = description.find(mark);
    if (at != std::string::npos)
        description.replace(at, mark.size(), std::to_string(++made));
    return description;
}

GstElement* makeSink() {
    const std::string description = numberedSink(sinkDescription());
    if (description.empty())
        return gst_element_factory_make("autoaudiosink", nullptr);
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
    if (error) {
        g_error_free(error);
        if (bin)
            gst_object_unref(bin);
        return nullptr;
    }
    return bin;
}

std::u16string fromUtf8(const char* text) {
    return QString::fromUtf8(text ? text : "").toStdU16String();
}

// Whether the desktop has a sound output: autoaudiosink settles on a fake sink when no real one opens.
bool probeAudioOutput() {
    if (!sinkDescription().empty())
        return true; // an explicitly named sink is what the operator (or a test) wants to hear through
    if (!gstreamerStarted())
        return false;
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (!sink)
        return false;
    bool real = false;
    if (gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE && GST_IS_BIN(sink)) {
        GstIterator* children = gst_bin_iterate_elements(GST_BIN(sink));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
            GstElement* child = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory* factory = gst_element_get_factory(child);
            const char* name = factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
            if (std::string_view(name) != "fakesink" && std::string_view(name) != "fakeaudiosink")
                real = true;
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(children);
    }
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return real;
}

std::mutex g_probeMutex;
int g_probed = -1; // -1 not yet asked, else 0/1

} // namespace

std::int32_t volumeToAttenuation(std::int32_t volume) {
    if (volume <= 0)
        return -10000;
    return static_cast<std::int32_t>((std::log10(static_cast<double>(volume)) - 2.0) * 5000.0);
}

bool audioOutputAvailable() {
    std::lock_guard lock(g_probeMutex);
    if (g_probed < 0)
        g_probed = probeAudioOutput() ? 1 : 0;
    return g_probed == 1;
}

void resetAudioOutputProbeForTests() {
    std::lock_guard lock(g_probeMutex);
    g_probed = -1;
}

void setMusicEndHook(std::function<void()> hook) {
    std::lock_guard lock(hooks().mutex);
    hooks().end = std::move(hook);
}

void setMusicBusObserverForTests(std::function<void(GstMessage*)> observer) {
    std::lock_guard lock(hooks().mutex);
    hooks().bus = std::move(observer);
}

void setMusicPipelineObserverForTests(std::function<void(GstElement*)> observer) {
    std::lock_guard lock(hooks().mutex);
    hooks().pipeline = std::move(observer);
}

struct MusicPlayer::Impl {
    GstElement* pipeline = nullptr;
    GstElement* convert = nullptr;
    GstElement* volume = nullptr;
    std::filesystem::path path;
    std::function<void(const std::u16string&)> onError;
    QPointer<MusicPlayer> self;
    bool used = false;
    bool playing = false;
    std::int32_t attenuation = 0;
    mutable std::int64_t stopMs = -1;
    // Written on streaming threads, read on the UI thread.
    std::atomic<bool> opened{false};
    std::atomic<bool> atEnd{false};
    std::atomic<bool> audioLinked{false};
    mutable std::mutex errorMutex;
    std::u16string error;

    void setError(std::u16string text) {
        std::lock_guard lock(errorMutex);
        error = std::move(text);
    }

    void applyVolume() const {
        if (!volume)
            return;
        const double level = attenuation <= -10000 ? 0.0 : std::pow(10.0, attenuation / 2000.0);
        g_object_set(volume, "volume", level, nullptr);
    }

    void teardown() {
        if (!pipeline)
            return;
        // NULL joins the streaming threads, so no bus message arrives after this.
        gst_element_set_state(pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipeline);
        pipeline = convert = volume = nullptr;
        opened = false;
        playing = false;
    }

    static void onPadAdded(GstElement*, GstPad* pad, gpointer data) {
        auto* impl = static_cast<Impl*>(data);
        GstCaps* caps = gst_pad_get_current_caps(pad);
        if (!caps)
            caps = gst_pad_query_caps(pad, nullptr);
        const bool audio =
            caps && gst_caps_get_size(caps) > 0 &&
            g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/");
        if (caps)
            gst_caps_unref(caps);
        if (!audio)
            return;
        GstPad* sink = gst_element_get_static_pad(impl->convert, "sink");
        if (!gst_pad_is_linked(sink) && gst_pad_link(pad, sink) == GST_PAD_LINK_OK)
            impl->audioLinked = true;
        gst_object_unref(sink);
    }

    static void onNoMorePads(GstElement* decoder, gpointer data) {
        auto* impl = static_cast<Impl*>(data);
        if (!impl->audioLinked)
            GST_ELEMENT_ERROR(decoder, STREAM, WRONG_TYPE, ("The file holds no audio."), (nullptr));
    }

    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
        auto* impl = static_cast<Impl*>(data);
        std::function<void(GstMessage*)> observer;
        {
            std::lock_guard lock(hooks().mutex);
            observer = hooks().bus;
        }
        if (observer)
            observer(message);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const std::u16string text = fromUtf8(error ? error->message : nullptr);
            if (error)
                g_error_free(error);
            impl->setError(text);
            // Errors while opening are open()'s answer; later ones go to the owner on the UI thread.
            if (impl->opened && QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self = impl->self, text] {
                        if (!self || !self->isOpen() || !self->m_impl->onError)
                            return;
                        // A copy: the callback usually deletes the player.
                        auto callback = self->m_impl->onError;
                        callback(text);
                    },
                    Qt::QueuedConnection);
            }
            break;
        }
        case GST_MESSAGE_EOS:
            impl->atEnd = true;
            if (QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [] {
                        std::function<void()> hook;
                        {
                            std::lock_guard lock(hooks().mutex);
                            hook = hooks().end;
                        }
                        if (hook)
                            hook();
                    },
                    Qt::QueuedConnection);
            }
            break;
        default:
            break;
        }
        return GST_BUS_DROP;
    }
};

MusicPlayer::MusicPlayer() : m_impl(std::make_unique<Impl>()) {
    m_impl->self = this;
}

MusicPlayer::~MusicPlayer() {
    close();
}

bool MusicPlayer::open(const std::filesystem::path& path,
                       std::function<void(const std::u16string& error)> onError) {
    Impl& d = *m_impl;
    if (d.used) {
        d.setError(u"A music player is opened only once.");
        return false;
    }
    d.used = true;
    d.path = path;
    d.onError = std::move(onError);
    d.setError({});
    if (!gstreamerStarted()) {
        d.setError(u"GStreamer did not start.");
        return false;
    }
    d.pipeline = gst_pipeline_new("music");
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
    d.convert = gst_element_factory_make("audioconvert", nullptr);
    d.volume = gst_element_factory_make("volume", nullptr);
    GstElement* sink = makeSink();
    if (!d.pipeline || !source || !decoder || !d.convert || !d.volume || !sink) {
        for (GstElement* element : {source, decoder, d.convert, d.volume, sink})
            if (element)
                gst_object_unref(element);
        d.convert = d.volume = nullptr;
        if (d.pipeline)
            gst_object_unref(d.pipeline);
        d.pipeline = nullptr;
        d.setError(u"A GStreamer element for playing music is missing (gstreamer1.0-plugins-base/-good).");
        return false;
    }
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(d.pipeline), source, decoder, d.convert, d.volume, sink, nullptr);
    gst_element_link(source, decoder);
    gst_element_link_many(d.convert, d.volume, sink, nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&Impl::onPadAdded), &d);
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(&Impl::onNoMorePads), &d);
    GstBus* bus = gst_element_get_bus(d.pipeline);
    gst_bus_set_sync_handler(bus, &Impl::onBusMessage, &d, nullptr);
    gst_object_unref(bus);
    d.applyVolume();
    {
        std::function<void(GstElement*)> observer;
        {
            std::lock_guard lock(hooks().mutex);
            observer = hooks().pipeline;
        }
        if (observer)
            observer(d.pipeline);
    }

    GstStateChangeReturn result = gst_element_set_state(d.pipeline, GST_STATE_PAUSED);
    if (result != GST_STATE_CHANGE_FAILURE)
        result = gst_element_get_state(d.pipeline, nullptr, nullptr, kPrerollTimeout);
    if (result == GST_STATE_CHANGE_FAILURE || result == GST_STATE_CHANGE_ASYNC || !d.audioLinked) {
        if (errorText().empty())
            d.setError(u"The file does not play as audio.");
        d.teardown();
        return false;
    }
    d.opened = true;
    return true;
}

void MusicPlayer::close() {
    m_impl->teardown();
}

bool MusicPlayer::run() {
    if (!m_impl->pipeline)
        return false;
    const bool ok = gst_element_set_state(m_impl->pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    m_impl->playing = ok;
    return ok;
}

bool MusicPlayer::pause() {
    if (!m_impl->pipeline)
        return false;
    m_impl->playing = false;
    return gst_element_set_state(m_impl->pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool MusicPlayer::stop() {
    // The pipeline stays prerolled: a stopped player is closed next or plays again from where it stopped.
    return pause();
}

void MusicPlayer::setVolume(std::int32_t attenuation) {
    m_impl->attenuation = attenuation;
    m_impl->applyVolume();
}

std::int64_t MusicPlayer::positionMs() const {
    if (!m_impl->pipeline)
        return 0;
    gint64 position = 0;
    if (!gst_element_query_position(m_impl->pipeline, GST_FORMAT_TIME, &position) || position < 0)
        return m_impl->atEnd ? stopPositionMs() : 0;
    return position / GST_MSECOND;
}

std::int64_t MusicPlayer::stopPositionMs() const {
    if (!m_impl->pipeline)
        return 0;
    if (m_impl->stopMs <= 0) {
        gint64 duration = 0;
        if (gst_element_query_duration(m_impl->pipeline, GST_FORMAT_TIME, &duration) && duration > 0)
            m_impl->stopMs = duration / GST_MSECOND;
    }
    return m_impl->stopMs > 0 ? m_impl->stopMs : 0;
}

bool MusicPlayer::isAtEnd() const {
    if (!m_impl->pipeline)
        return false;
    if (m_impl->atEnd)
        return true;
    const std::int64_t stop = stopPositionMs();
    return stop > 0 && positionMs() >= stop;
}

void MusicPlayer::seek(std::int64_t ms) {
    if (!m_impl->pipeline)
        return;
    const std::int64_t stop = stopPositionMs();
    if (stop > 0 && ms > stop)
        ms = stop;
    if (ms < 0)
        ms = 0;
    m_impl->atEnd = false;
    gst_element_seek_simple(m_impl->pipeline, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            ms * GST_MSECOND);
}

bool MusicPlayer::isOpen() const {
    return m_impl->pipeline != nullptr && m_impl->opened;
}

bool MusicPlayer::isPlaying() const {
    return isOpen() && m_impl->playing;
}

const std::filesystem::path& MusicPlayer::path() const {
    return m_impl->path;
}

std::u16string MusicPlayer::errorText() const {
    std::lock_guard lock(m_impl->errorMutex);
    return m_impl->error;
}

} // namespace kelvora
