#include "records/draw_mode.h"

namespace kelvora {

SettingsFileLocation drawModeFileLocation(const DataPaths& paths) {
    return SettingsFileLocation{paths.drawModeFile, paths.settingsFolder, {}, 1, false};
}

bool loadDrawMode(const DataPaths& paths, DrawMode& drawMode, MessageBox& messages, OwnerWindow owner) {
    return loadSettingsFile(
        drawModeFileLocation(paths), [&] { drawMode = DrawMode{}; },
        [&](ByteReader& in) { return in.readInt32(drawMode.mode); }, messages, owner);
}

bool saveDrawMode(const DataPaths& paths, const DrawMode& drawMode, MessageBox& messages, OwnerWindow owner) {
    return saveSettingsFile(
        drawModeFileLocation(paths), [&](ByteWriter& out) { out.writeInt32(drawMode.mode); }, messages,
        owner);
}

} // namespace kelvora
