#include "ui/centered_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace kelvora {

QRect primaryScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 640, 480);
}

QPoint centeredOnDesktop(const QRect& desktop, const QSize& window) {
    const int x = std::max((desktop.width() - window.width()) / 2, 0);
    const int y = std::max((desktop.height() - window.height()) / 2, 0);
    return desktop.topLeft() + QPoint(x, y);
}

void centerOnDesktop(QWidget& window) {
    window.move(centeredOnDesktop(primaryScreenRect(), window.frameGeometry().size()));
}

CenteredDialog::CenteredDialog(QWidget* parent) : QDialog(parent) {
    setModal(true);
    // No "?" button in the title bar: the dialogs have no context help.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void CenteredDialog::showEvent(QShowEvent* event) {
    // Spontaneous show events come from the window system restoring a window that was already placed.
    if (!event->spontaneous())
        centerOnDesktop(*this);
    QDialog::showEvent(event);
}

} // namespace kelvora
