#include "app_test_support.h"

#include <QAction>

namespace kelvora::test {

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "kelvora_app_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down after main() returns races its thread-local storage.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

namespace {
void describe(const QMenu& menu, bool withState, const std::string& indent, std::vector<std::string>& out) {
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out.push_back(indent + "---");
        } else if (const QMenu* sub = action->menu()) {
            out.push_back(indent + sub->title().toStdString() + "/");
            describe(*sub, withState, indent + "  ", out);
        } else {
            std::string line = indent + action->text().toStdString();
            if (withState && !action->isEnabled())
                line += " [grey]";
            out.push_back(line);
        }
    }
}
} // namespace

std::vector<std::string> describeMenu(const QMenu& menu, bool withState) {
    std::vector<std::string> out;
    describe(menu, withState, "", out);
    return out;
}

} // namespace kelvora::test
