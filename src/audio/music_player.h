#pragma once
// One piece of music on one GStreamer pipeline (filesrc ! decodebin ! audioconvert ! volume ! sink), opened
// once and never reopened: what a music slot or the settings dialog's preview plays. Every call comes from
// the UI thread; a pipeline error is delivered there too, as the player's error callback.

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace kelvora {

// The music volume (25..100) as the attenuation the players take, in hundredths of a decibel:
// trunc((log10(v) - 2) * 5000); 100 is 0, 25 is -3010, v <= 0 gives -10000.
std::int32_t volumeToAttenuation(std::int32_t volume);

// Whether an audio output exists at all (the platform's stand-in for "a default audio renderer exists"). A
// machine without one plays no music and the show goes on.
bool audioOutputAvailable();

class MusicPlayer : public QObject {
    Q_OBJECT
public:
    MusicPlayer();
    ~MusicPlayer() override;

    // Builds the pipeline for path and prerolls it (paused): false when the file does not decode as audio;
    // errorText() then says why. onError is called later, on the UI thread, when playback fails (the slot
    // then releases this player).
    bool open(const std::filesystem::path& path, std::function<void(const std::u16string& error)> onError);
    void close();
    bool run();
    bool pause();
    bool stop();
    // Hundredths of a decibel, as volumeToAttenuation gives.
    void setVolume(std::int32_t attenuation);
    std::int64_t positionMs() const;
    std::int64_t stopPositionMs() const;
    bool isAtEnd() const;
    // Clamped to 0..stopPositionMs(); the stop position stays.
    void seek(std::int64_t ms);

    bool isOpen() const;
    bool isPlaying() const;
    const std::filesystem::path& path() const;
    std::u16string errorText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace kelvora
