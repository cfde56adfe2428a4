#include "app/display_mode.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kelvora {

QScreen* extendedScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (screen != primary)
            return screen;
    }
    return nullptr;
}

QRect displayModeRect(const WindowedSettings& settings, const QRect& primary) {
    if (settings.fullScreen != 0)
        return primary;
    return QRect(primary.left() + settings.x, primary.top() + settings.y, settings.width, settings.height);
}

void applyDisplayMode(QWidget& window, const WindowedSettings& settings) {
    window.setGeometry(displayModeRect(settings, primaryScreenRect()));
    window.update();
}

bool showOnExtendedScreen(QWidget& window, MessageBox& messages) {
    const QScreen* screen = extendedScreen();
    if (!screen) {
        messages.show(&window, kNoExtendedScreenText, MessageIcon::Warning);
        return false;
    }
    window.setGeometry(screen->geometry());
    window.update();
    return true;
}

} // namespace kelvora
