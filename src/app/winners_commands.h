#pragma once
// F7 "中奖名单管理": the winners window, where a winner forfeits and the lists are exported.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerWinnersCommands(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
