#pragma once
// "彩排检查..." in the settings menu: the pre-show check on the live records, the dry run with a progress bar
// and "取消", and the report, from which a finding opens its editor.

namespace kelvora {

class CommandRegistry;
class MainWindow;

void registerRehearsalCheckCommand(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
