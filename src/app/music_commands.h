#pragma once
// The background music's hot keys: Ctrl+1 (and Tab), Ctrl+2 and Ctrl+3. They have no menu entries and work
// while a roll is shown as well.

namespace kelvora {

class CommandRegistry;
class ShowController;

void registerMusicCommands(CommandRegistry& registry, ShowController& controller);

} // namespace kelvora
