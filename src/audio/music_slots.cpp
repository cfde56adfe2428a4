#include "audio/music_slots.h"

#include "audio/music_player_hooks.h"

#include <system_error>

namespace kelvora {

namespace {

std::u16string_view musicName(MusicSlot slot) {
    switch (slot) {
    case MusicSlot::Scroll:
        return u"滚动音乐";
    case MusicSlot::Win:
        return u"中奖音乐";
    default:
        return u"背景音乐";
    }
}

std::u16string missingText(MusicSlot slot, const std::filesystem::path& path) {
    return std::u16string(musicName(slot)) + u"不存在:\n" + path.u16string();
}

// The opening failed (half-width colon) or the running failed (full-width colon).
std::u16string failedText(MusicSlot slot, const std::filesystem::path& path, bool running) {
    return std::u16string(musicName(slot)) + (running ? u"播放失败：\n" : u"播放失败:\n") + path.u16string() +
           u"\n\n别的文件伪装成 mp3/wav";
}

std::u16string brokeOffText(MusicSlot slot, const std::filesystem::path& path, const std::u16string& error) {
    return std::u16string(musicName(slot)) + u"播放异常:\n" + path.u16string() + u"\n\n" + error;
}

std::u16string nameOf(const char16_t (&field)[MusicSettings::kFileNameUnits]) {
    std::u16string name;
    for (char16_t unit : field) {
        if (unit == 0)
            break;
        name.push_back(unit);
    }
    return name;
}

} // namespace

MusicSlots::MusicSlots(const MusicSettings& settings, std::filesystem::path musicFolder, MusicLog log)
    : m_settings(settings), m_musicFolder(std::move(musicFolder)), m_log(std::move(log)) {
    // A track that ends restarts now rather than at the next timer tick: the loop has no audible gap.
    setMusicEndHook([this] { loopTick(); });
}

MusicSlots::~MusicSlots() {
    setMusicEndHook({});
    releaseAll();
}

MusicSlot MusicSlots::backgroundSlot(int track) {
    return static_cast<MusicSlot>(index(MusicSlot::Background1) + track - 1);
}

bool MusicSlots::backgroundPaused(int track) const {
    if (track < 1 || track > 3)
        return false;
    return m_paused[index(backgroundSlot(track))];
}

std::filesystem::path MusicSlots::pathOf(MusicSlot slot) const {
    const MusicSettings& s = m_settings;
    switch (slot) {
    case MusicSlot::Scroll:
        return m_musicFolder / nameOf(s.scrollMusicFile);
    case MusicSlot::Win:
        return m_musicFolder / nameOf(s.winMusicFile);
    case MusicSlot::Background1:
        return m_musicFolder / nameOf(s.backgroundFile1);
    case MusicSlot::Background2:
        return m_musicFolder / nameOf(s.backgroundFile2);
    case MusicSlot::Background3:
        return m_musicFolder / nameOf(s.backgroundFile3);
    }
    return {};
}

void MusicSlots::log(std::u16string text) {
    if (m_log)
        m_log(text);
}

bool MusicSlots::fileExists(MusicSlot slot, const std::filesystem::path& path) {
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
    if (!exists)
        log(missingText(slot, path));
    return exists;
}

std::unique_ptr<MusicPlayer> MusicSlots::openPlayer(MusicSlot slot, const std::filesystem::path& path) {
    auto player = std::make_unique<MusicPlayer>();
    const MusicPlayer* raw = player.get();
    if (!player->open(path, [this, slot, raw](MusicFailure failure, const std::u16string& reason) {
            onPlayerFailed(slot, raw, failure, reason);
        })) {
        log(failedText(slot, path, false));
        return nullptr;
    }
    player->setVolume(volumeToAttenuation(m_settings.volume));
    return player;
}

void MusicSlots::prepare(MusicSlot slot) {
    auto& player = m_players[index(slot)];
    if (player)
        return;
    const auto path = pathOf(slot);
    if (!fileExists(slot, path))
        return;
    player = openPlayer(slot, path);
    if (!player)
        return;
    player->pause();
    player->seek(0);
    m_paused[index(slot)] = true;
}

void MusicSlots::start(MusicSlot slot, bool fromStart) {
    const auto path = pathOf(slot);
    if (!fileExists(slot, path))
        return;
    auto& player = m_players[index(slot)];
    if (!player)
        player = openPlayer(slot, path);
    if (!player)
        return;
    if (fromStart)
        player->seek(0);
    if (!player->run()) {
        log(failedText(slot, path, true));
        release(slot);
        return;
    }
    m_paused[index(slot)] = false;
}

void MusicSlots::prepareScrollMusic() {
    prepare(MusicSlot::Scroll);
}

void MusicSlots::startScrollMusic() {
    start(MusicSlot::Scroll, false);
}

void MusicSlots::rewindScrollMusic() {
    if (auto& player = m_players[index(MusicSlot::Scroll)]) {
        player->pause();
        player->seek(0);
    }
}

void MusicSlots::startWinMusic() {
    start(MusicSlot::Win, true);
}

void MusicSlots::prepareWinMusic() {
    prepare(MusicSlot::Win);
}

void MusicSlots::reloadScrollMusic(bool namesScrolling) {
    release(MusicSlot::Scroll);
    if (namesScrolling && m_settings.scrollMusicOn)
        startScrollMusic();
    else
        prepareScrollMusic();
}

void MusicSlots::toggleBackgroundMusic(int track) {
    if (track < 1 || track > 3)
        return;
    const MusicSlot slot = backgroundSlot(track);
    auto& player = m_players[index(slot)];
    bool& paused = m_paused[index(slot)];
    if (player) {
        if (!paused) {
            player->pause();
            paused = true;
        } else if (player->run()) {
            paused = false;
        } else {
            log(failedText(slot, player->path(), true));
            release(slot);
        }
        return;
    }
    const auto path = pathOf(slot);
    if (!fileExists(slot, path))
        return;
    player = openPlayer(slot, path);
    if (!player)
        return;
    if (!player->run()) {
        log(failedText(slot, path, true));
        release(slot);
        return;
    }
    paused = false;
}

void MusicSlots::prepareBackgroundMusic(int track) {
    if (track >= 1 && track <= 3)
        prepare(backgroundSlot(track));
}

void MusicSlots::reloadBackgroundMusic(int track) {
    if (track < 1 || track > 3)
        return;
    const MusicSlot slot = backgroundSlot(track);
    if (m_players[index(slot)]) {
        const bool wasPlaying = !m_paused[index(slot)];
        release(slot);
        if (wasPlaying) {
            // The new file plays from its start, as the old one was playing.
            toggleBackgroundMusic(track);
            return;
        }
    }
    prepareBackgroundMusic(track);
}

void MusicSlots::reloadAfterSettings(bool namesScrolling) {
    reloadScrollMusic(namesScrolling);
    release(MusicSlot::Win);
    prepareWinMusic();
    for (int track = 1; track <= 3; ++track)
        reloadBackgroundMusic(track);
}

void MusicSlots::pauseAllBackgroundMusic() {
    for (int track = 1; track <= 3; ++track) {
        const MusicSlot slot = backgroundSlot(track);
        if (m_players[index(slot)] && !m_paused[index(slot)])
            toggleBackgroundMusic(track);
    }
}

void MusicSlots::backgroundHotKey(int track) {
    if (track < 1 || track > 3)
        return;
    const MusicSlot slot = backgroundSlot(track);
    const bool hadPlayer = m_players[index(slot)] != nullptr;
    const bool wasPaused = m_paused[index(slot)];
    pauseAllBackgroundMusic();
    if (!hadPlayer || wasPaused)
        toggleBackgroundMusic(track);
}

void MusicSlots::release(MusicSlot slot) {
    auto& player = m_players[index(slot)];
    if (!player)
        return;
    player->stop();
    player->close();
    player.reset();
    m_paused[index(slot)] = false;
}

void MusicSlots::releaseAll() {
    for (int i = 0; i < kMusicSlotCount; ++i)
        release(static_cast<MusicSlot>(i));
}

void MusicSlots::loopTick() {
    for (int i = 0; i < kMusicSlotCount; ++i) {
        auto& player = m_players[i];
        if (!player || !player->isAtEnd())
            continue;
        if (static_cast<MusicSlot>(i) == MusicSlot::Win)
            player->pause();
        player->seek(0);
    }
}

void MusicSlots::setVolume(int volume) {
    const std::int32_t attenuation = volumeToAttenuation(volume);
    for (auto& player : m_players)
        if (player)
            player->setVolume(attenuation);
}

void MusicSlots::onPlayerFailed(MusicSlot slot, const MusicPlayer* player, MusicFailure failure,
                                const std::u16string& reason) {
    // Only the slot whose player failed, and only if it still holds that player.
    if (m_players[index(slot)].get() != player)
        return;
    switch (failure) {
    case MusicFailure::NoOutput:
        // Every use asks again (a speaker may be plugged in meanwhile), but the log says it once.
        if (!m_musicOffLogged) {
            m_musicOffLogged = true;
            log(std::u16string(kMusicOffText));
        }
        break;
    case MusicFailure::Open:
    case MusicFailure::Stalled:
        log(failedText(slot, player->path(), false));
        break;
    case MusicFailure::Run:
        log(failedText(slot, player->path(), true));
        break;
    case MusicFailure::Playback:
        log(brokeOffText(slot, player->path(), reason));
        break;
    }
    release(slot);
}

} // namespace kelvora
