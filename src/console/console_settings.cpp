#include "console/console_settings.h"

#include "records/settings_file.h"

namespace kelvora {

namespace {

SettingsFileLocation consoleFileLocation(const DataPaths& paths) {
    return {paths.consoleFile, paths.settingsFolder, {}, ConsoleSettings::kSizeLimitMiB, false};
}

bool within(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value >= low && value <= high;
}

} // namespace

void ConsoleSettings::setShown(ConsolePanel panel, bool on) {
    const auto bit = static_cast<std::int32_t>(panel);
    panels = on ? (panels | bit) : (panels & ~bit);
}

bool parseConsoleSettings(ByteReader& in, ConsoleSettings& settings) {
    ConsoleSettings s;
    in.readInt32(s.autoOpen);
    in.readInt32(s.x);
    in.readInt32(s.y);
    in.readInt32(s.width);
    in.readInt32(s.height);
    in.readInt32(s.panels);
    if (!in.ok() || !in.atEnd())
        return false;
    constexpr std::int32_t kMax = ConsoleSettings::kMaxCoordinate;
    if (!within(s.autoOpen, 0, 1) || !within(s.x, 0, kMax) || !within(s.y, 0, kMax) ||
        !within(s.width, ConsoleSettings::kMinWidth, kMax) ||
        !within(s.height, ConsoleSettings::kMinHeight, kMax) ||
        !within(s.panels, 0, ConsoleSettings::kAllPanels))
        return false;
    settings = s;
    return true;
}

void serializeConsoleSettings(const ConsoleSettings& s, ByteWriter& out) {
    out.writeInt32(s.autoOpen);
    out.writeInt32(s.x);
    out.writeInt32(s.y);
    out.writeInt32(s.width);
    out.writeInt32(s.height);
    out.writeInt32(s.panels);
}

FileResult loadConsoleSettings(const DataPaths& paths, ConsoleSettings& settings) {
    return loadSettingsFile(
        consoleFileLocation(paths), [&settings] { settings = ConsoleSettings{}; },
        [&settings](ByteReader& in) { return parseConsoleSettings(in, settings); });
}

FileResult saveConsoleSettings(const DataPaths& paths, const ConsoleSettings& settings) {
    return saveSettingsFile(consoleFileLocation(paths),
                            [&settings](ByteWriter& out) { serializeConsoleSettings(settings, out); });
}

} // namespace kelvora
