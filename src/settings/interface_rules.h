#pragma once
// The corrections the look's dialogs make to what the operator typed: heights that must leave room for one
// another, speeds and positions in range, margins that fit their band, font sizes the screen can draw. Values
// out of range are corrected, never refused; the warnings only inform, and the corrected values stand.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/interface_settings.h"

namespace kelvora {

inline constexpr std::u16string_view kMarginsLargeWarning = u"边距有点大哦:\n可能导致内容显示不全或不可见";
inline constexpr std::u16string_view kRestoreDefaultsQuestion = u"恢复默认值？";

// Each value 0..100, then right and bottom shortened to fit beside left and top. True when what is left is
// large enough to warn about (left + right >= 80 or top + bottom >= 70).
bool clampMargins(Margins& margins);

std::int32_t clampFontSize(std::int32_t sizePt);

// The dialog's corrections in their order: the three heights to 0..100, the subtitle to what the main title
// leaves, the info bar to what both leave; the scroll speed to 1..60, the hidden positions to a valid range,
// the prize picture's width to 0..100. Returns the "很小哦~~" warning naming each region that is shown but
// too small to read, or an empty text when there is none.
std::u16string clampInterfaceSettings(InterfaceSettings& settings);

} // namespace kelvora
