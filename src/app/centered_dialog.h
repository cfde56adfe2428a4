#pragma once
// The base of the program's dialogs: modal, and centred on the desktop each time it opens, so that on a
// projector set-up a dialog never opens half on the audience's screen.

#include <QDialog>

namespace kelvora {

class CenteredDialog : public QDialog {
    Q_OBJECT
public:
    explicit CenteredDialog(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace kelvora
