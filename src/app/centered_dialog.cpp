#include "app/centered_dialog.h"

#include <QShowEvent>

#include "app/display_mode.h"

namespace kelvora {

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
