#pragma once
// The prize window's command: "奖项..." on F2 in the settings menu.

#include "settings/ui/editor_hooks.h"

namespace kelvora {

class CommandRegistry;
class MainWindow;

// editLists opens a prize's black and white list editor from the prize window; empty until that editor is
// part of the program.
void registerPrizeCommands(CommandRegistry& registry, MainWindow& window, EditPrizeListsHook editLists = {});

} // namespace kelvora
