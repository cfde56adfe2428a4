#pragma once
// The rolls' settings and the replay of one chosen prize: "设置..." of the replay and of the full list, in
// the main menu and in each roll's own menu, and "指定奖项..." in the replay sub-menu.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerRollSettingsCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
