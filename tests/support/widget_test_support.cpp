#include "support/widget_test_support.h"

namespace kelvora::test {

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "kelvora_widget_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down after main() returns races its thread-local storage.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace kelvora::test
