#pragma once
// The commands that inform: the three illustrated hints, where the settings are kept, the history folder,
// the guide and the about box.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerInfoCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
