#pragma once
// The Qt application the dialog tests run in (offscreen), made once per test program, and a way to act on
// the modal dialog that a call under test opens.

#include <QApplication>
#include <QTimer>

#include <functional>

namespace kelvora::test {

inline QApplication& dialogTestApp() {
    static int argc = 1;
    static char name[] = "kelvora_list_dialog_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down after main() returns races its thread-local storage.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs act on the modal dialog of type D once it is open; the call that opened it is still running.
template <class D> void whenModalOpens(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<D*>(widget); dialog && dialog->isVisible()) {
                act(*dialog);
                return;
            }
    });
}

} // namespace kelvora::test
