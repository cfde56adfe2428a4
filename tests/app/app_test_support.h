#pragma once
// The menus as the window tests read them.

#include <QMenu>
#include <QString>

#include <string>
#include <vector>

#include "support/widget_test_support.h"

namespace kelvora::test {

// The menu as lines: "title/" opens a sub-menu (its entries indented by two spaces), "---" is a separator,
// a disabled command ends with " [grey]" when withState is set.
std::vector<std::string> describeMenu(const QMenu& menu, bool withState = false);

} // namespace kelvora::test
