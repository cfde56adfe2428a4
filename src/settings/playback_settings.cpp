#include "settings/playback_settings.h"

#include "records/settings_file.h"

namespace kelvora {

namespace {

bool readRowsAndSpeed(ByteReader& in, std::int32_t& namesPerRow, std::int32_t& speed) {
    if (!in.readInt32(namesPerRow) || namesPerRow < kMinRollNamesPerRow || namesPerRow > kMaxRollNamesPerRow)
        return false;
    return in.readInt32(speed) && speed >= kMinRollSpeed && speed <= kMaxRollSpeed;
}

bool readCheckedFont(ByteReader& in, FontStyle& font) {
    return readFontStyle(in, font) && fontSizeValid(font.sizePt);
}

SettingsFileLocation rollFileLocation(const DataPaths& paths, const std::filesystem::path& file,
                                      std::uint64_t limitMiB) {
    return {file, paths.settingsFolder, {}, limitMiB};
}

} // namespace

bool parsePlaybackSettings(ByteReader& in, PlaybackSettings& settings) {
    PlaybackSettings s;
    in.readInt32(s.reverseOrder);
    if (!readRowsAndSpeed(in, s.namesPerRow, s.speed) || !readMargins(in, s.margins) ||
        !readCheckedFont(in, s.headingFont) || !readCheckedFont(in, s.nameFont))
        return false;
    in.readInt32(s.namesOnly);
    if (!in.ok() || !in.atEnd())
        return false;
    settings = s;
    return true;
}

bool parseFullListSettings(ByteReader& in, FullListSettings& settings) {
    FullListSettings s;
    if (!readRowsAndSpeed(in, s.namesPerRow, s.speed) || !readMargins(in, s.margins) ||
        !readCheckedFont(in, s.nameFont))
        return false;
    in.readInt32(s.namesOnly);
    if (!in.ok() || !in.atEnd())
        return false;
    settings = s;
    return true;
}

void serializePlaybackSettings(const PlaybackSettings& s, ByteWriter& out) {
    out.writeInt32(s.reverseOrder);
    out.writeInt32(s.namesPerRow);
    out.writeInt32(s.speed);
    writeMargins(out, s.margins);
    writeFontStyle(out, s.headingFont);
    writeFontStyle(out, s.nameFont);
    out.writeInt32(s.namesOnly);
}

void serializeFullListSettings(const FullListSettings& s, ByteWriter& out) {
    out.writeInt32(s.namesPerRow);
    out.writeInt32(s.speed);
    writeMargins(out, s.margins);
    writeFontStyle(out, s.nameFont);
    out.writeInt32(s.namesOnly);
}

FileResult loadPlaybackSettings(const DataPaths& paths, PlaybackSettings& settings) {
    return loadSettingsFile(
        rollFileLocation(paths, paths.playbackFile, PlaybackSettings::kSizeLimitMiB),
        [&settings] { settings = PlaybackSettings{}; },
        [&settings](ByteReader& in) { return parsePlaybackSettings(in, settings); });
}

FileResult savePlaybackSettings(const DataPaths& paths, const PlaybackSettings& settings) {
    return saveSettingsFile(rollFileLocation(paths, paths.playbackFile, PlaybackSettings::kSizeLimitMiB),
                            [&settings](ByteWriter& out) { serializePlaybackSettings(settings, out); });
}

FileResult loadFullListSettings(const DataPaths& paths, FullListSettings& settings) {
    return loadSettingsFile(
        rollFileLocation(paths, paths.fullListFile, FullListSettings::kSizeLimitMiB),
        [&settings] { settings = FullListSettings{}; },
        [&settings](ByteReader& in) { return parseFullListSettings(in, settings); });
}

FileResult saveFullListSettings(const DataPaths& paths, const FullListSettings& settings) {
    return saveSettingsFile(rollFileLocation(paths, paths.fullListFile, FullListSettings::kSizeLimitMiB),
                            [&settings](ByteWriter& out) { serializeFullListSettings(settings, out); });
}

} // namespace kelvora
