#pragma once
// One piece of music on one GStreamer pipeline (filesrc ! decodebin ! audioconvert ! volume ! sink), opened
// once and never reopened: what a music slot or the settings dialog's preview plays. Every call comes from
// the UI thread and returns at once: the state changes and seeks run on the player's own worker thread,
// because a sound server that stalls can hold them for many seconds, and the draw screen must never wait
// for the music. What goes wrong later arrives on the UI thread as the player's failure callback.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvora {

// The music volume (25..100) as the attenuation the players take, in hundredths of a decibel:
// trunc((log10(v) - 2) * 5000); 100 is 0, 25 is -3010, v <= 0 gives -10000.
std::int32_t volumeToAttenuation(std::int32_t volume);

// How a player failed, which decides what the operator is told.
enum class MusicFailure {
    Open,     // the file never got ready to play: not audio, or unreadable
    NoOutput, // the machine has no sound output right now
    Stalled,  // the sound output did not take the music within the preroll timeout
    Run,      // the pipeline refused to play
    Playback, // an error after the track was ready
};

// The reasons a player gives with MusicFailure::NoOutput and MusicFailure::Stalled.
inline constexpr std::u16string_view kNoAudioOutputReason = u"没有可用的音频输出设备";
inline constexpr std::u16string_view kStalledOutputReason = u"音频输出设备没有响应";

class MusicPlayer : public QObject {
    Q_OBJECT
public:
    // Called on the UI thread, at most once per player, after the player has closed itself; the callback may
    // delete the player.
    using FailureCallback = std::function<void(MusicFailure failure, const std::u16string& reason)>;

    MusicPlayer();
    ~MusicPlayer() override;

    // Builds the pipeline for path and starts its preroll (paused at the start) without waiting for it.
    // False only for what is known at once (a second open, GStreamer or one of its elements missing);
    // errorText() then says why. Everything else (no sound output, a file that does not decode as audio, an
    // output that does not take the music within the preroll timeout, a later playback error) reaches
    // onFailure.
    bool open(const std::filesystem::path& path, FailureCallback onFailure);
    // Gives the pipeline to the worker to be taken down, and returns at once.
    void close();
    // Play and pause are requests: made before the preroll is done they take effect as it completes. False
    // only for a player that is not open.
    bool run();
    bool pause();
    bool stop();
    // Hundredths of a decibel, as volumeToAttenuation gives.
    void setVolume(std::int32_t attenuation);
    // Before the preroll is done: 0, 0 and false. A seek that has not been carried out yet reads as done.
    std::int64_t positionMs() const;
    // The duration as the pipeline knows it now: a variable-bitrate mp3 without a header that states its
    // length gets a better estimate as it plays, so this is read afresh each time.
    std::int64_t stopPositionMs() const;
    // The track reached its end (or was sought to it).
    bool isAtEnd() const;
    // Clamped to 0..stopPositionMs(); the stop position stays.
    void seek(std::int64_t ms);

    // Opened and neither failed nor closed.
    bool isOpen() const;
    // Prerolled: positions and the duration can be read.
    bool isReady() const;
    // Playing, or asked to play as soon as it is ready.
    bool isPlaying() const;
    const std::filesystem::path& path() const;
    std::u16string errorText() const;

private:
    struct Stream;
    class Worker;

    void onReady();
    void fail(MusicFailure failure, std::u16string reason);
    void startSeek(std::int64_t ms, std::uint64_t serial);

    std::shared_ptr<Stream> m_stream;
    std::unique_ptr<Worker> m_worker;
    std::filesystem::path m_path;
    FailureCallback m_onFailure;
    QTimer m_prerollTimer;
    std::u16string m_error;
    bool m_used = false;
    bool m_ready = false;
    bool m_playing = false;
    std::int32_t m_attenuation = 0;
    // The last duration the pipeline gave: a query can fail for a moment while a seek flushes.
    mutable std::int64_t m_stopMs = 0;
};

} // namespace kelvora
