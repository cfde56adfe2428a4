#pragma once
// The Qt application the window tests run in (offscreen), made once per test program.

#include <QApplication>
#include <QMenu>
#include <QString>

#include <string>
#include <vector>

namespace kelvora::test {

QApplication& qtApp();

// The menu as lines: "title/" opens a sub-menu (its entries indented by two spaces), "---" is a separator,
// a disabled command ends with " [grey]" when withState is set.
std::vector<std::string> describeMenu(const QMenu& menu, bool withState = false);

} // namespace kelvora::test
