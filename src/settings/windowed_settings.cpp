#include "settings/windowed_settings.h"

#include <algorithm>

#include "records/settings_file.h"

namespace kelvora {

namespace {

// One axis: origin and extent against the screen's extent along it.
void clampAxis(std::int32_t& origin, std::int32_t& extent, std::int32_t minExtent, int screenExtent) {
    extent = std::clamp(extent, minExtent, WindowedSettings::kMaxCoordinate);
    origin = std::clamp(origin, 0, WindowedSettings::kMaxCoordinate);
    // A nonsensical negative screen size from the caller must not make the arithmetic below overflow.
    const std::int32_t screen = std::max(screenExtent, 0);
    if (origin + extent > screen) {
        origin = std::max(screen - extent, 0);
        if (origin + extent > screen)
            extent = screen - origin;
    }
}

SettingsFileLocation windowedFileLocation(const DataPaths& paths) {
    // This reader leaves stray files and folders where they are.
    return {paths.windowedFile, paths.settingsFolder, {}, WindowedSettings::kSizeLimitMiB, true};
}

} // namespace

void clampWindowRect(WindowedSettings& settings, int screenWidth, int screenHeight) {
    clampAxis(settings.x, settings.width, WindowedSettings::kMinWidth, screenWidth);
    clampAxis(settings.y, settings.height, WindowedSettings::kMinHeight, screenHeight);
}

bool parseWindowedSettings(ByteReader& in, WindowedSettings& settings, int screenWidth, int screenHeight) {
    WindowedSettings s;
    in.readInt32(s.fullScreen);
    in.readInt32(s.x);
    in.readInt32(s.y);
    in.readInt32(s.width);
    in.readInt32(s.height);
    if (!in.ok() || !in.atEnd())
        return false;
    clampWindowRect(s, screenWidth, screenHeight);
    settings = s;
    return true;
}

void serializeWindowedSettings(const WindowedSettings& s, ByteWriter& out) {
    out.writeInt32(s.fullScreen);
    out.writeInt32(s.x);
    out.writeInt32(s.y);
    out.writeInt32(s.width);
    out.writeInt32(s.height);
}

FileResult loadWindowedSettings(const DataPaths& paths, WindowedSettings& settings, int screenWidth,
                                int screenHeight) {
    return loadSettingsFile(
        windowedFileLocation(paths), [&settings] { settings = WindowedSettings{}; },
        [&](ByteReader& in) { return parseWindowedSettings(in, settings, screenWidth, screenHeight); });
}

FileResult saveWindowedSettings(const DataPaths& paths, const WindowedSettings& settings) {
    return saveSettingsFile(windowedFileLocation(paths),
                            [&settings](ByteWriter& out) { serializeWindowedSettings(settings, out); });
}

} // namespace kelvora
