#pragma once
// The look's command: "界面..." on F4 in the settings menu.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerLookCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
