#pragma once
// "彩排检查..." in the settings menu: the pre-show check on the live records, the dry run with a progress bar
// and "取消", and the report, from which a finding opens its editor.

#include <filesystem>
#include <string>

namespace kelvora {

class CommandRegistry;
class MainWindow;

// Whether a picture loads as the screen would load it: empty when it does, else the loader's reason. Decoded
// small: only whether it loads matters, and a picture list may hold thousands.
std::u16string pictureProblem(const std::filesystem::path& path);

void registerRehearsalCheckCommand(CommandRegistry& registry, MainWindow& window);

} // namespace kelvora
