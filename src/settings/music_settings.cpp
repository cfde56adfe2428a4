#include "settings/music_settings.h"

#include "records/settings_file.h"

namespace kelvora {

bool parseMusicSettings(ByteReader& in, MusicSettings& settings) {
    MusicSettings s;
    in.readInt32(s.scrollMusicOn);
    in.readInt32(s.winMusicOn);
    in.readText(s.scrollMusicFile);
    in.readText(s.winMusicFile);
    in.readText(s.backgroundFile1);
    in.readText(s.backgroundFile2);
    in.readText(s.backgroundFile3);
    in.readInt32(s.volume);
    if (!in.ok() || s.volume < MusicSettings::kMinVolume || s.volume > MusicSettings::kMaxVolume ||
        !in.atEnd())
        return false;
    settings = s;
    return true;
}

void serializeMusicSettings(const MusicSettings& s, ByteWriter& out) {
    out.reserve(out.bytes().size() + MusicSettings::kFileBytes);
    out.writeInt32(s.scrollMusicOn);
    out.writeInt32(s.winMusicOn);
    out.writeText(s.scrollMusicFile);
    out.writeText(s.winMusicFile);
    out.writeText(s.backgroundFile1);
    out.writeText(s.backgroundFile2);
    out.writeText(s.backgroundFile3);
    out.writeInt32(s.volume);
}

namespace {
SettingsFileLocation musicFileLocation(const DataPaths& paths) {
    return {paths.musicFile, paths.settingsFolder, paths.musicFolder, MusicSettings::kSizeLimitMiB};
}
} // namespace

FileResult loadMusicSettings(const DataPaths& paths, MusicSettings& settings) {
    return loadSettingsFile(
        musicFileLocation(paths), [&settings] { settings = MusicSettings{}; },
        [&settings](ByteReader& in) { return parseMusicSettings(in, settings); });
}

FileResult saveMusicSettings(const DataPaths& paths, const MusicSettings& settings) {
    return saveSettingsFile(musicFileLocation(paths),
                            [&settings](ByteWriter& out) { serializeMusicSettings(settings, out); });
}

} // namespace kelvora
