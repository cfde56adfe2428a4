#include "standby/standby_settings.h"

#include <algorithm>

#include "platform/text.h"
#include "records/file_system.h"
#include "records/settings_file.h"

namespace kelvora {

namespace {

SettingsFileLocation standbyFileLocation(const DataPaths& paths) {
    return {paths.standbyFile, paths.settingsFolder, {}, 1, false};
}

} // namespace

std::filesystem::path StandbySettings::folder() const {
    return pathFromText(fieldText(mirrorFolder));
}

bool StandbySettings::setFolder(const std::filesystem::path& path) {
    const std::u16string text = pathText(path);
    if (text.size() >= kFolderUnits)
        return false;
    std::fill(std::begin(mirrorFolder), std::end(mirrorFolder), u'\0');
    std::copy(text.begin(), text.end(), mirrorFolder);
    return true;
}

bool parseStandbySettings(ByteReader& in, StandbySettings& settings) {
    StandbySettings s;
    in.readInt32(s.mirrorOn);
    in.readText(s.mirrorFolder);
    if (!in.ok() || !in.atEnd() || (s.mirrorOn != 0 && s.mirrorOn != 1))
        return false;
    // A switched-on mirror without a folder would have nowhere to go.
    if (s.mirrorOn == 1 && s.mirrorFolder[0] == 0)
        return false;
    settings = s;
    return true;
}

void serializeStandbySettings(const StandbySettings& s, ByteWriter& out) {
    out.writeInt32(s.mirrorOn);
    out.writeText(s.mirrorFolder);
}

FileResult loadStandbySettings(const DataPaths& paths, StandbySettings& settings) {
    return loadSettingsFile(
        standbyFileLocation(paths), [&settings] { settings = StandbySettings{}; },
        [&settings](ByteReader& in) { return parseStandbySettings(in, settings); });
}

FileResult saveStandbySettings(const DataPaths& paths, const StandbySettings& settings) {
    return saveSettingsFile(standbyFileLocation(paths),
                            [&settings](ByteWriter& out) { serializeStandbySettings(settings, out); });
}

} // namespace kelvora
