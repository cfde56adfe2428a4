#include "records/draw_mode.h"

namespace kelvora {

SettingsFileLocation drawModeFileLocation(const DataPaths& paths) {
    return SettingsFileLocation{paths.drawModeFile, paths.settingsFolder, {}, 1, false};
}

FileResult loadDrawMode(const DataPaths& paths, DrawMode& drawMode) {
    return loadSettingsFile(
        drawModeFileLocation(paths), [&] { drawMode = DrawMode{}; },
        [&](ByteReader& in) { return in.readInt32(drawMode.mode); });
}

FileResult saveDrawMode(const DataPaths& paths, const DrawMode& drawMode) {
    return saveSettingsFile(drawModeFileLocation(paths),
                            [&](ByteWriter& out) { out.writeInt32(drawMode.mode); });
}

} // namespace kelvora
