#include "settings/roll_settings_rules.h"

#include <algorithm>

#include "settings/interface_rules.h"

namespace kelvora {

std::int32_t clampRollNamesPerRow(std::int32_t typed) {
    return std::clamp(typed, kMinRollNamesPerRow, kMaxRollNamesPerRow);
}

std::int32_t clampRollSpeed(std::int32_t speed) {
    return std::clamp(speed, kMinRollSpeed, kMaxRollSpeed);
}

void clampPlaybackSettings(PlaybackSettings& s) {
    s.namesPerRow = clampRollNamesPerRow(s.namesPerRow);
    s.speed = clampRollSpeed(s.speed);
    clampMargins(s.margins);
    s.headingFont.sizePt = clampFontSize(s.headingFont.sizePt);
    s.nameFont.sizePt = clampFontSize(s.nameFont.sizePt);
}

void clampFullListSettings(FullListSettings& s) {
    s.namesPerRow = clampRollNamesPerRow(s.namesPerRow);
    s.speed = clampRollSpeed(s.speed);
    clampMargins(s.margins);
    s.nameFont.sizePt = clampFontSize(s.nameFont.sizePt);
}

} // namespace kelvora
