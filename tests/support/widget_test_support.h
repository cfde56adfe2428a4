#pragma once
// What the widget tests share: the Qt application they run in (offscreen), made once per test program, and a
// way to act on the modal dialog that a call under test opens.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "app/application.h"
#include "support/test_support.h"

namespace kelvora::test {

QApplication& qtApp();

// What every test of the whole program starts from: the offscreen application, a data folder of its own and
// the platform's stand-ins (recorded messages, scripted file choices, a settable Caps Lock and clock). A test
// fixture derives from it and builds its Application over dir and services.
struct AppHarness {
    AppHarness() { qtApp(); } // before any window the test makes

    TempDir dir;
    DataPaths paths{dir.path()};
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    FakeCapsLock capsLock;
    FakeClock clock;
    Random15 random{clock};
    AppServices services{messages, files, capsLock, clock, random};
};

// Runs act on the visible dialog of type D once it is open; the call that opened it is still running.
template <class D> void whenModalOpens(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<D*>(widget); dialog && dialog->isVisible()) {
                act(*dialog);
                return;
            }
    });
}

// Acts on the first visible dialog of type D, polling until one opens: it may come after other dialogs, or
// from inside another modal dialog.
template <class D> void whenOpens(std::function<void(D&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<D*>(widget); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(*dialog);
                return;
            }
    });
    timer->start(10);
}

} // namespace kelvora::test
