#pragma once
// The rolls' commands: the replay of all prizes or of the one drawn last, the full list, and, while a roll
// shows, its pause and its cancel.

namespace kelvora {

class CommandRegistry;
class ShowController;

void registerRollCommands(CommandRegistry& registry, ShowController& controller);

} // namespace kelvora
