#include "settings/interface_settings.h"

#include "records/settings_file.h"

namespace kelvora {

namespace {

bool readColor(ByteReader& in, ColorRef& color) {
    return in.readBytes(&color, sizeof color);
}
void writeColor(ByteWriter& out, ColorRef color) {
    out.writeBytes(&color, sizeof color);
}

// A negative percentage is as far out of range as one above 100.
bool percentValid(std::int32_t value) {
    return value >= 0 && value <= 100;
}

bool readPercent(ByteReader& in, std::int32_t& value) {
    return in.readInt32(value) && percentValid(value);
}

} // namespace

bool marginsValid(const Margins& m) {
    return percentValid(m.left) && percentValid(m.top) && percentValid(m.right) && percentValid(m.bottom) &&
           m.left + m.right <= 100 && m.top + m.bottom <= 100;
}

bool fontSizeValid(std::int32_t sizePt) {
    return sizePt >= FontStyle::kMinSizePt && sizePt <= FontStyle::kMaxSizePt;
}

bool readFontStyle(ByteReader& in, FontStyle& font) {
    in.readText(font.faceName);
    in.readInt32(font.sizePt);
    in.readInt32(font.bold);
    in.readInt32(font.italic);
    in.readInt32(font.effect);
    readColor(in, font.effectColor);
    readColor(in, font.textColor);
    return in.ok();
}

bool readMargins(ByteReader& in, Margins& m) {
    in.readInt32(m.left);
    in.readInt32(m.top);
    in.readInt32(m.right);
    in.readInt32(m.bottom);
    return in.ok() && marginsValid(m);
}

void writeFontStyle(ByteWriter& out, const FontStyle& font) {
    out.writeText(font.faceName);
    out.writeInt32(font.sizePt);
    out.writeInt32(font.bold);
    out.writeInt32(font.italic);
    out.writeInt32(font.effect);
    writeColor(out, font.effectColor);
    writeColor(out, font.textColor);
}

void writeMargins(ByteWriter& out, const Margins& m) {
    out.writeInt32(m.left);
    out.writeInt32(m.top);
    out.writeInt32(m.right);
    out.writeInt32(m.bottom);
}

void resetInterfaceSettings(InterfaceSettings& settings) {
    settings = InterfaceSettings{};
}

bool parseInterfaceSettings(ByteReader& in, InterfaceSettings& settings) {
    InterfaceSettings s;
    auto checkedFont = [&in](FontStyle& font) {
        return readFontStyle(in, font) && fontSizeValid(font.sizePt);
    };

    in.readText(s.backgroundImage);
    in.readText(s.mainTitle);
    if (!readPercent(in, s.mainTitleHeightPct) || !readMargins(in, s.mainTitleMargins) ||
        !checkedFont(s.mainTitleFont))
        return false;
    in.readText(s.subtitle);
    if (!readPercent(in, s.subtitleHeightPct) || s.subtitleHeightPct > 100 - s.mainTitleHeightPct ||
        !readMargins(in, s.subtitleMargins) || !checkedFont(s.subtitleFont))
        return false;
    // What the three bands leave is the scroll area's share, so together they may not exceed the window.
    if (!readPercent(in, s.infoBarHeightPct) ||
        s.mainTitleHeightPct + s.subtitleHeightPct + s.infoBarHeightPct > 100 ||
        !readMargins(in, s.infoBarMargins) || !checkedFont(s.infoBarFont))
        return false;
    in.readInt32(s.infoBarShowProgress);
    in.readInt32(s.infoBarShowPrizeText);
    in.readInt32(s.infoBarShowPrompt);
    // The scroll timer's period is 1000 / scrollSpeed.
    if (!in.readInt32(s.scrollSpeed) || s.scrollSpeed < 1 || s.scrollSpeed > 60)
        return false;
    if (!readMargins(in, s.scrollMargins) || !readFontStyle(in, s.scrollFont))
        return false;
    in.readInt32(s.photoCaption);
    in.readInt32(s.photoCrop);
    in.readInt32(s.showWinnerNumbers);
    in.readInt32(s.hideDigits);
    if (!in.readInt32(s.hideFrom) || s.hideFrom < 1)
        return false;
    if (!in.readInt32(s.hideTo) || s.hideTo < s.hideFrom)
        return false;
    in.readInt32(s.prizeImageOnLeft);
    if (!readPercent(in, s.prizeImageWidthPct) || !readMargins(in, s.prizeImageMargins))
        return false;
    if (!in.ok() || !in.atEnd())
        return false;
    settings = s;
    return true;
}

void serializeInterfaceSettings(const InterfaceSettings& s, ByteWriter& out) {
    out.reserve(out.bytes().size() + InterfaceSettings::kFileBytes);
    out.writeText(s.backgroundImage);
    out.writeText(s.mainTitle);
    out.writeInt32(s.mainTitleHeightPct);
    writeMargins(out, s.mainTitleMargins);
    writeFontStyle(out, s.mainTitleFont);
    out.writeText(s.subtitle);
    out.writeInt32(s.subtitleHeightPct);
    writeMargins(out, s.subtitleMargins);
    writeFontStyle(out, s.subtitleFont);
    out.writeInt32(s.infoBarHeightPct);
    writeMargins(out, s.infoBarMargins);
    writeFontStyle(out, s.infoBarFont);
    out.writeInt32(s.infoBarShowProgress);
    out.writeInt32(s.infoBarShowPrizeText);
    out.writeInt32(s.infoBarShowPrompt);
    out.writeInt32(s.scrollSpeed);
    writeMargins(out, s.scrollMargins);
    writeFontStyle(out, s.scrollFont);
    out.writeInt32(s.photoCaption);
    out.writeInt32(s.photoCrop);
    out.writeInt32(s.showWinnerNumbers);
    out.writeInt32(s.hideDigits);
    out.writeInt32(s.hideFrom);
    out.writeInt32(s.hideTo);
    out.writeInt32(s.prizeImageOnLeft);
    out.writeInt32(s.prizeImageWidthPct);
    writeMargins(out, s.prizeImageMargins);
}

namespace {
SettingsFileLocation interfaceFileLocation(const DataPaths& paths) {
    return {paths.interfaceFile, paths.settingsFolder, paths.interfaceFolder,
            InterfaceSettings::kSizeLimitMiB};
}
} // namespace

FileResult loadInterfaceSettings(const DataPaths& paths, InterfaceSettings& settings) {
    return loadSettingsFile(
        interfaceFileLocation(paths), [&settings] { resetInterfaceSettings(settings); },
        [&settings](ByteReader& in) { return parseInterfaceSettings(in, settings); });
}

FileResult saveInterfaceSettings(const DataPaths& paths, const InterfaceSettings& settings) {
    return saveSettingsFile(interfaceFileLocation(paths),
                            [&settings](ByteWriter& out) { serializeInterfaceSettings(settings, out); });
}

} // namespace kelvora
