#include "app_test_support.h"

#include <QAction>

namespace kelvora::test {

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
