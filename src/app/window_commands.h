#pragma once
// The window's commands: the display modes (windowed, full screen, the extended screen), minimise and exit.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerWindowCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
