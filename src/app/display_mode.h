#pragma once
// Where the draw screen sits: over the whole primary screen, in the remembered window rectangle, or over the
// first extended screen.

#include <QRect>

#include "platform/message_box.h"
#include "settings/windowed_settings.h"
#include "ui/centered_dialog.h"

class QScreen;
class QWidget;

namespace kelvora {

inline constexpr std::u16string_view kNoExtendedScreenText = u"无扩展屏";

// The first screen in the system's order that is not the primary one, or nullptr.
QScreen* extendedScreen();

// The rectangle applyDisplayMode gives the draw screen: the primary screen when fullScreen is set, else the
// stored rectangle, taken relative to the primary screen's top-left corner.
QRect displayModeRect(const WindowedSettings& settings, const QRect& primary);

// Places the draw screen by the settings and repaints it.
void applyDisplayMode(QWidget& window, const WindowedSettings& settings);

// Moves the draw screen over the first extended screen. Without one, shows "无扩展屏" and leaves the window
// where it is. Nothing is saved: the next start uses the saved mode again.
bool showOnExtendedScreen(QWidget& window, MessageBox& messages);

} // namespace kelvora
