#pragma once
// The music settings' command: "音乐..." on F5 in the settings menu.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerMusicSettingsCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
