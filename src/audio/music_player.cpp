#include "audio/music_player.h"

#include <QCoreApplication>
#include <QString>

#include <gst/gst.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "audio/music_player_hooks.h"

namespace kelvora {

namespace {

// How long a new player may take to preroll: a file that decodes is ready within milliseconds, so what takes
// longer is an output that does not take the music.
constexpr int kPrerollTimeoutMs = 10000;
std::atomic<int> g_prerollTimeoutMs{kPrerollTimeoutMs};

struct Hooks {
    std::mutex mutex;
    std::function<void()> end;
    std::function<void(GstMessage*)> bus;
    std::function<void(GstElement*)> pipeline;
};

// Never destroyed: a worker still taking a pipeline down while the process exits may pass through here.
Hooks& hooks() {
    static Hooks* instance = new Hooks;
    return *instance;
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

struct Sink {
    GstElement* element = nullptr;
    bool automatic = false; // autoaudiosink: whether it found a real device is known only once it is READY
};

Sink makeSink() {
    const std::string description = numberedSink(sinkDescription());
    if (description.empty())
        return {gst_element_factory_make("autoaudiosink", nullptr), true};
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
    if (error) {
        g_error_free(error);
        if (bin)
            gst_object_unref(bin);
        return {};
    }
    return {bin, false};
}

std::u16string fromUtf8(const char* text) {
    return QString::fromUtf8(text ? text : "").toStdU16String();
}

// An autoaudiosink in READY: whether it opened a real device rather than its fake fallback.
bool playsThroughADevice(GstElement* autoSink) {
    if (!GST_IS_BIN(autoSink))
        return true;
    bool real = false;
    GstIterator* children = gst_bin_iterate_elements(GST_BIN(autoSink));
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
    return real;
}

void runEndHook() {
    std::function<void()> hook;
    {
        std::lock_guard lock(hooks().mutex);
        hook = hooks().end;
    }
    if (hook)
        hook();
}

} // namespace

std::int32_t volumeToAttenuation(std::int32_t volume) {
    if (volume <= 0)
        return -10000;
    return static_cast<std::int32_t>((std::log10(static_cast<double>(volume)) - 2.0) * 5000.0);
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

void setMusicPrerollTimeoutForTests(std::chrono::milliseconds timeout) {
    g_prerollTimeoutMs = timeout.count() > 0 ? static_cast<int>(timeout.count()) : kPrerollTimeoutMs;
}

// What the UI thread, the player's worker and GStreamer's streaming threads share. The worker keeps it until
// the pipeline is taken down; a message on its way to the UI thread keeps it until it has been handled there.
struct MusicPlayer::Stream : std::enable_shared_from_this<Stream> {
    // Fixed from open() until the worker takes the pipeline down, which is after the player let go.
    GstElement* pipeline = nullptr;
    GstElement* convert = nullptr;
    GstElement* volume = nullptr;
    GstElement* autoSink = nullptr;
    // The UI thread's only.
    MusicPlayer* owner = nullptr;

    std::atomic<bool> audioLinked{false};
    std::atomic<bool> prerolled{false};
    std::atomic<bool> atEnd{false};
    // The worker skips whatever follows a failure, but the teardown.
    std::atomic<bool> failed{false};
    std::atomic<bool> closed{false};

    mutable std::mutex mutex;
    std::u16string firstError;
    // The newest seek the UI thread asked for until the worker has carried it out; -1: none pending.
    std::int64_t seekTarget = -1;
    std::uint64_t seekSerial = 0;

    ~Stream() {
        // Only a pipeline that never reached the worker is still here.
        if (pipeline)
            gst_object_unref(pipeline);
    }

    void keepError(const std::u16string& text) {
        std::lock_guard lock(mutex);
        if (firstError.empty())
            firstError = text;
    }
    std::u16string error() const {
        std::lock_guard lock(mutex);
        return firstError;
    }
    std::uint64_t requestSeek(std::int64_t ms) {
        std::lock_guard lock(mutex);
        seekTarget = ms;
        return ++seekSerial;
    }
    std::optional<std::int64_t> pendingSeek(std::uint64_t* serial = nullptr) const {
        std::lock_guard lock(mutex);
        if (serial)
            *serial = seekSerial;
        return seekTarget >= 0 ? std::optional<std::int64_t>(seekTarget) : std::nullopt;
    }
    void seekDone(std::uint64_t serial) {
        std::lock_guard lock(mutex);
        if (serial == seekSerial)
            seekTarget = -1;
    }

    // Runs fn on the UI thread with the player, if the stream still has one by then.
    static void toOwner(std::shared_ptr<Stream> stream, std::function<void(MusicPlayer&)> fn) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!stream || stream->closed || !app)
            return;
        QMetaObject::invokeMethod(
            app,
            [stream = std::move(stream), fn = std::move(fn)] {
                if (stream->owner)
                    fn(*stream->owner);
            },
            Qt::QueuedConnection);
    }

    // A failure the worker found: Open while the player is not ready yet, else Run.
    void failFromWorker(std::u16string_view fallback) {
        failed = true;
        std::u16string reason = error();
        if (reason.empty())
            reason = fallback;
        toOwner(shared_from_this(), [reason](MusicPlayer& player) {
            player.fail(player.m_ready ? MusicFailure::Run : MusicFailure::Open, reason);
        });
    }

    // The worker's jobs.
    void startPreroll() {
        if (gst_element_set_state(pipeline, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
            failFromWorker(u"The sound output did not open.");
            return;
        }
        // Asked of every new player: the outputs change while the program runs.
        if (autoSink && !playsThroughADevice(autoSink)) {
            failed = true;
            toOwner(shared_from_this(), [](MusicPlayer& player) {
                player.fail(MusicFailure::NoOutput, std::u16string(kNoAudioOutputReason));
            });
            return;
        }
        if (gst_element_set_state(pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
            failFromWorker(u"The file does not play as audio.");
    }
    void change(GstState state) {
        if (failed)
            return;
        if (gst_element_set_state(pipeline, state) == GST_STATE_CHANGE_FAILURE)
            failFromWorker(u"The music did not start.");
    }
    void seekTo(std::int64_t ms, std::uint64_t serial) {
        if (!failed)
            gst_element_seek_simple(pipeline, GST_FORMAT_TIME,
                                    static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                    ms * GST_MSECOND);
        seekDone(serial);
    }
    void teardown() {
        // NULL joins the streaming threads (and may wait long on a stalled output: this is why it runs here),
        // so no bus message arrives after this.
        gst_element_set_state(pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipeline);
        pipeline = convert = volume = autoSink = nullptr;
    }

    // GStreamer's threads.
    static void onPadAdded(GstElement*, GstPad* pad, gpointer data) {
        auto* stream = static_cast<Stream*>(data);
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
        GstPad* sink = gst_element_get_static_pad(stream->convert, "sink");
        if (!gst_pad_is_linked(sink) && gst_pad_link(pad, sink) == GST_PAD_LINK_OK)
            stream->audioLinked = true;
        gst_object_unref(sink);
    }

    static void onNoMorePads(GstElement* decoder, gpointer data) {
        auto* stream = static_cast<Stream*>(data);
        if (!stream->audioLinked)
            GST_ELEMENT_ERROR(decoder, STREAM, WRONG_TYPE, ("The file holds no audio."), (nullptr));
    }

    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
        auto* stream = static_cast<Stream*>(data);
        {
            // Under the lock: a test that clears its observer must not be called into afterwards.
            std::lock_guard lock(hooks().mutex);
            if (hooks().bus)
                hooks().bus(message);
        }
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const std::u16string text = fromUtf8(error ? error->message : nullptr);
            if (error)
                g_error_free(error);
            stream->keepError(text);
            toOwner(stream->shared_from_this(), [text](MusicPlayer& player) {
                player.fail(player.m_ready ? MusicFailure::Playback : MusicFailure::Open, text);
            });
            break;
        }
        case GST_MESSAGE_EOS:
            stream->atEnd = true;
            if (QCoreApplication::instance() && !stream->closed)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [] { runEndHook(); }, Qt::QueuedConnection);
            break;
        case GST_MESSAGE_ASYNC_DONE:
            // The first one ends the preroll; later ones follow seeks.
            if (GST_MESSAGE_SRC(message) == GST_OBJECT(stream->pipeline) && !stream->prerolled.exchange(true))
                toOwner(stream->shared_from_this(), [](MusicPlayer& player) { player.onReady(); });
            break;
        default:
            break;
        }
        return GST_BUS_DROP;
    }
};

// One thread per player that carries out its state changes and seeks in the order they were asked for. The
// player lets go of it when it closes: the thread then takes the pipeline down and ends by itself, however
// long a stalled output holds it, and nobody waits for it.
class MusicPlayer::Worker {
public:
    explicit Worker(std::shared_ptr<Stream> stream) : m_queue(std::make_shared<Queue>()) {
        m_thread = std::thread([queue = m_queue, stream = std::move(stream)] {
            for (;;) {
                std::function<void(Stream&)> job;
                {
                    std::unique_lock lock(queue->mutex);
                    queue->wake.wait(lock, [&] { return !queue->jobs.empty() || queue->finished; });
                    if (queue->jobs.empty())
                        return;
                    job = std::move(queue->jobs.front());
                    queue->jobs.pop_front();
                }
                job(*stream);
            }
        });
    }
    ~Worker() { finish(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void post(std::function<void(Stream&)> job) {
        {
            std::lock_guard lock(m_queue->mutex);
            m_queue->jobs.push_back(std::move(job));
        }
        m_queue->wake.notify_one();
    }

    // The jobs posted so far still run; then the thread ends.
    void finish() {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_queue->mutex);
            m_queue->finished = true;
        }
        m_queue->wake.notify_one();
        m_thread.detach();
    }

private:
    struct Queue {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void(Stream&)>> jobs;
        bool finished = false;
    };
    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
};

MusicPlayer::MusicPlayer() {
    m_prerollTimer.setSingleShot(true);
    connect(&m_prerollTimer, &QTimer::timeout, this, [this] {
        if (m_stream && !m_ready)
            fail(MusicFailure::Stalled, std::u16string(kStalledOutputReason));
    });
}

MusicPlayer::~MusicPlayer() {
    close();
}

bool MusicPlayer::open(const std::filesystem::path& path, FailureCallback onFailure) {
    if (m_used) {
        m_error = u"A music player is opened only once.";
        return false;
    }
    m_used = true;
    m_path = path;
    m_onFailure = std::move(onFailure);
    m_error.clear();
    if (!gstreamerStarted()) {
        m_error = u"GStreamer did not start.";
        return false;
    }
    auto stream = std::make_shared<Stream>();
    stream->pipeline = gst_pipeline_new("music");
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
    stream->convert = gst_element_factory_make("audioconvert", nullptr);
    stream->volume = gst_element_factory_make("volume", nullptr);
    const Sink sink = makeSink();
    if (!stream->pipeline || !source || !decoder || !stream->convert || !stream->volume || !sink.element) {
        for (GstElement* element : {source, decoder, stream->convert, stream->volume, sink.element})
            if (element)
                gst_object_unref(element);
        stream->convert = stream->volume = nullptr;
        m_error = u"A GStreamer element for playing music is missing (gstreamer1.0-plugins-base/-good).";
        return false;
    }
    stream->autoSink = sink.automatic ? sink.element : nullptr;
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(stream->pipeline), source, decoder, stream->convert, stream->volume,
                     sink.element, nullptr);
    gst_element_link(source, decoder);
    gst_element_link_many(stream->convert, stream->volume, sink.element, nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&Stream::onPadAdded), stream.get());
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(&Stream::onNoMorePads), stream.get());
    GstBus* bus = gst_element_get_bus(stream->pipeline);
    gst_bus_set_sync_handler(bus, &Stream::onBusMessage, stream.get(), nullptr);
    gst_object_unref(bus);
    stream->owner = this;
    m_stream = stream;
    setVolume(m_attenuation);
    {
        std::lock_guard lock(hooks().mutex);
        if (hooks().pipeline)
            hooks().pipeline(stream->pipeline);
    }

    m_worker = std::make_unique<Worker>(std::move(stream));
    m_worker->post([](Stream& s) { s.startPreroll(); });
    m_prerollTimer.start(g_prerollTimeoutMs.load());
    return true;
}

void MusicPlayer::close() {
    m_prerollTimer.stop();
    m_ready = false;
    m_playing = false;
    if (!m_stream)
        return;
    m_stream->owner = nullptr;
    m_stream->closed = true;
    m_worker->post([](Stream& s) { s.teardown(); });
    m_worker->finish();
    m_worker.reset();
    m_stream.reset();
}

void MusicPlayer::onReady() {
    if (!m_stream || m_ready)
        return;
    if (!m_stream->audioLinked) {
        fail(MusicFailure::Open, u"The file does not play as audio.");
        return;
    }
    m_ready = true;
    m_prerollTimer.stop();
    // A seek asked for during the preroll: to the start it is done already.
    std::uint64_t serial = 0;
    if (const auto target = m_stream->pendingSeek(&serial)) {
        if (*target > 0)
            startSeek(*target, serial);
        else
            m_stream->seekDone(serial);
    }
}

void MusicPlayer::fail(MusicFailure failure, std::u16string reason) {
    if (!m_stream)
        return; // closed, or failed already
    m_error = reason.empty() ? std::u16string(u"The music stopped.") : std::move(reason);
    close();
    if (m_onFailure) {
        // Copies: the callback usually deletes the player.
        const FailureCallback callback = m_onFailure;
        const std::u16string why = m_error;
        callback(failure, why);
    }
}

void MusicPlayer::startSeek(std::int64_t ms, std::uint64_t serial) {
    m_worker->post([ms, serial](Stream& s) { s.seekTo(ms, serial); });
}

bool MusicPlayer::run() {
    if (!m_stream)
        return false;
    m_playing = true;
    // Asked before the preroll is done, PLAYING follows as soon as it is.
    m_worker->post([](Stream& s) { s.change(GST_STATE_PLAYING); });
    return true;
}

bool MusicPlayer::pause() {
    if (!m_stream)
        return false;
    m_playing = false;
    m_worker->post([](Stream& s) { s.change(GST_STATE_PAUSED); });
    return true;
}

bool MusicPlayer::stop() {
    // The pipeline stays prerolled: a stopped player is closed next or plays again from where it stopped.
    return pause();
}

void MusicPlayer::setVolume(std::int32_t attenuation) {
    m_attenuation = attenuation;
    if (!m_stream)
        return;
    const double level = attenuation <= -10000 ? 0.0 : std::pow(10.0, attenuation / 2000.0);
    g_object_set(m_stream->volume, "volume", level, nullptr);
}

std::int64_t MusicPlayer::positionMs() const {
    if (!m_stream || !m_ready)
        return 0;
    if (const auto target = m_stream->pendingSeek())
        return *target;
    gint64 position = 0;
    if (!gst_element_query_position(m_stream->pipeline, GST_FORMAT_TIME, &position) || position < 0)
        return m_stream->atEnd ? stopPositionMs() : 0;
    return position / GST_MSECOND;
}

std::int64_t MusicPlayer::stopPositionMs() const {
    if (!m_stream || !m_ready)
        return 0;
    gint64 duration = 0;
    if (gst_element_query_duration(m_stream->pipeline, GST_FORMAT_TIME, &duration) && duration > 0)
        m_stopMs = duration / GST_MSECOND;
    return m_stopMs;
}

bool MusicPlayer::isAtEnd() const {
    // Only the end of the stream says so: the duration of a variable-bitrate mp3 is an estimate that the
    // position may pass long before the real end.
    return m_stream && m_ready && m_stream->atEnd;
}

void MusicPlayer::seek(std::int64_t ms) {
    if (!m_stream)
        return;
    const std::int64_t stop = stopPositionMs();
    if (stop > 0 && ms > stop)
        ms = stop;
    if (ms < 0)
        ms = 0;
    // Paused, a seek to the end brings no end of stream until it plays again: it is the end all the same.
    m_stream->atEnd = stop > 0 && ms >= stop;
    const std::uint64_t serial = m_stream->requestSeek(ms);
    if (m_ready)
        startSeek(ms, serial);
}

bool MusicPlayer::isOpen() const {
    return m_stream != nullptr;
}

bool MusicPlayer::isReady() const {
    return m_stream != nullptr && m_ready;
}

bool MusicPlayer::isPlaying() const {
    return isOpen() && m_playing;
}

const std::filesystem::path& MusicPlayer::path() const {
    return m_path;
}

std::u16string MusicPlayer::errorText() const {
    return m_error;
}

} // namespace kelvora
