#pragma once
// The five music slots of the draw screen: scroll music while names scroll, winning music at each stop, and
// three background tracks under the operator's hot keys, at most one of which plays at a time. Each slot
// holds at most one player, built when first needed and kept between uses, so the next scroll starts at once.
// A slot whose file is missing or does not play stays empty and is tried again at its next use; what went
// wrong goes to the log, never onto the screen. No call waits for the music: a player gets ready, or fails,
// on its own time, and a failure found later empties its slot just the same.

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "audio/music_log.h"
#include "audio/music_player.h"
#include "settings/music_settings.h"

namespace kelvora {

enum class MusicSlot { Scroll, Win, Background1, Background2, Background3 };
inline constexpr int kMusicSlotCount = 5;

// The log's text when the machine has no sound output.
inline constexpr std::u16string_view kMusicOffText = u"没有可用的音频输出设备，本次不播放音乐";

class MusicSlots {
public:
    // settings and musicFolder are read at each use, so the live record's changes apply.
    MusicSlots(const MusicSettings& settings, std::filesystem::path musicFolder, MusicLog log);
    ~MusicSlots();
    MusicSlots(const MusicSlots&) = delete;
    MusicSlots& operator=(const MusicSlots&) = delete;

    // The draw engine.
    void prepareScrollMusic();
    void startScrollMusic();
    void rewindScrollMusic();
    void startWinMusic();
    // The music settings' closing, in this order: reloadScrollMusic, release(Win), prepareWinMusic,
    // reloadBackgroundMusic(1..3). reloadAfterSettings does all of it.
    void prepareWinMusic();
    void reloadScrollMusic(bool namesScrolling);
    void reloadBackgroundMusic(int track);
    void reloadAfterSettings(bool namesScrolling);

    // Background tracks, 1..3.
    void toggleBackgroundMusic(int track);
    void prepareBackgroundMusic(int track);
    void pauseAllBackgroundMusic();
    // The hot key of a track: starts or resumes it and pauses the others; on the track that plays, pauses it.
    void backgroundHotKey(int track);

    void release(MusicSlot slot);
    void releaseAll();

    // Every 100 ms, and at once when a track ends: scroll and background music loop; the winning music plays
    // once and waits paused at its start.
    void loopTick();
    // The new level (25..100) for every player that exists now; new players take the settings' volume.
    void setVolume(int volume);

    const MusicPlayer* player(MusicSlot slot) const { return m_players[index(slot)].get(); }
    bool backgroundPaused(int track) const;

private:
    static int index(MusicSlot slot) { return static_cast<int>(slot); }
    static MusicSlot backgroundSlot(int track);
    std::filesystem::path pathOf(MusicSlot slot) const;
    // The file is there (a file, not a folder); logs the missing-file text otherwise.
    bool fileExists(MusicSlot slot, const std::filesystem::path& path);
    // A new opened player with the current volume, or null after logging why not.
    std::unique_ptr<MusicPlayer> openPlayer(MusicSlot slot, const std::filesystem::path& path);
    void prepare(MusicSlot slot);
    void start(MusicSlot slot, bool fromStart);
    void onPlayerFailed(MusicSlot slot, const MusicPlayer* player, MusicFailure failure,
                        const std::u16string& reason);
    void log(std::u16string text);

    const MusicSettings& m_settings;
    std::filesystem::path m_musicFolder;
    MusicLog m_log;
    bool m_musicOffLogged = false;
    std::array<std::unique_ptr<MusicPlayer>, kMusicSlotCount> m_players;
    std::array<bool, kMusicSlotCount> m_paused{};
};

} // namespace kelvora
