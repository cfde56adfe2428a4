#pragma once
// The base of the program's dialogs: modal, and centred on the desktop each time it opens, so that on a
// projector set-up a dialog never opens half on the audience's screen.

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace kelvora {

// The primary screen's full rectangle: the size the window rectangle is clamped to, and the desktop that
// dialogs centre on.
QRect primaryScreenRect();

// The top-left corner that centres a window of the given size on the desktop: half the spare width and
// height, truncated toward zero and never negative, so a dialog larger than the desktop keeps its title bar
// and its buttons reachable from the top-left corner.
QPoint centeredOnDesktop(const QRect& desktop, const QSize& window);

// Moves the window (size unchanged) to the centre of the primary screen.
void centerOnDesktop(QWidget& window);

class CenteredDialog : public QDialog {
    Q_OBJECT
public:
    explicit CenteredDialog(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace kelvora
