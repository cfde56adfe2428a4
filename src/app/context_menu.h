#pragma once
// The layout of the three context menus: the sub-menus, the separators and the order of the places that
// commands declare. A menu is built from it with the commands registered at the time, so a sub-menu whose
// commands are all absent is left out, and so are separators that would lead, trail or double.

#include <functional>
#include <memory>

#include "app/command_registry.h"

class QMenu;
class QWidget;

namespace kelvora {

// The menu a place belongs to.
ContextMenu menuOf(MenuPlace place);

// The contents of the menu's popup "菜单". Each command's QAction carries its id as data() and calls
// trigger(id).
std::unique_ptr<QMenu> buildContextMenu(const CommandRegistry& registry, ContextMenu which, QWidget* parent,
                                        const std::function<void(CommandId)>& trigger);

// Greys the commands of the menu and of its sub-menus that are not offered in the draw's state.
void updateMenuState(QMenu& menu, const CommandRegistry& registry, bool drawStarted);

} // namespace kelvora
