#pragma once
// The corrections the two roll dialogs ("回放设置", "展示总名单设置") make to what the operator typed. Like
// the look's, values out of range are corrected, never refused.

#include <cstdint>

#include "settings/playback_settings.h"

namespace kelvora {

// "一行显示" as read from its field (empty reads as 0): 0 and below become 1, above 5 become 5.
std::int32_t clampRollNamesPerRow(std::int32_t typed);
// The roll speed into the slider's range, 2..50.
std::int32_t clampRollSpeed(std::int32_t speed);

// Every field the file's reader checks, brought into its range: what a dialog hands over always loads again.
void clampPlaybackSettings(PlaybackSettings& settings);
void clampFullListSettings(FullListSettings& settings);

} // namespace kelvora
