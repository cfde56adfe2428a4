#include "app/display_mode.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kelvora {

QRect primaryScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 640, 480);
}

QScreen* extendedScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (screen != primary)
            return screen;
    }
    return nullptr;
}

QPoint centeredOnDesktop(const QRect& desktop, const QSize& window) {
    const int x = std::max((desktop.width() - window.width()) / 2, 0);
    const int y = std::max((desktop.height() - window.height()) / 2, 0);
    return desktop.topLeft() + QPoint(x, y);
}

void centerOnDesktop(QWidget& window) {
    window.move(centeredOnDesktop(primaryScreenRect(), window.frameGeometry().size()));
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
