#pragma once
// Where the draw screen sits: over the whole primary screen, in the remembered window rectangle, or over the
// first extended screen; and the one rule by which every dialog of the program centres itself.

#include <QPoint>
#include <QRect>
#include <QSize>

#include "platform/message_box.h"
#include "settings/windowed_settings.h"

class QScreen;
class QWidget;

namespace kelvora {

inline constexpr std::u16string_view kNoExtendedScreenText = u"无扩展屏";

// The primary screen's full rectangle: the size the window rectangle is clamped to, and the desktop that
// dialogs centre on.
QRect primaryScreenRect();

// The first screen in the system's order that is not the primary one, or nullptr.
QScreen* extendedScreen();

// The top-left corner that centres a window of the given size on the desktop: half the spare width and
// height, truncated toward zero and never negative, so a dialog larger than the desktop keeps its title bar
// and its buttons reachable from the top-left corner.
QPoint centeredOnDesktop(const QRect& desktop, const QSize& window);

// Moves the window (size unchanged) to the centre of the primary screen.
void centerOnDesktop(QWidget& window);

// The rectangle applyDisplayMode gives the draw screen: the primary screen when fullScreen is set, else the
// stored rectangle, taken relative to the primary screen's top-left corner.
QRect displayModeRect(const WindowedSettings& settings, const QRect& primary);

// Places the draw screen by the settings and repaints it.
void applyDisplayMode(QWidget& window, const WindowedSettings& settings);

// Moves the draw screen over the first extended screen. Without one, shows "无扩展屏" and leaves the window
// where it is. Nothing is saved: the next start uses the saved mode again.
bool showOnExtendedScreen(QWidget& window, MessageBox& messages);

} // namespace kelvora
