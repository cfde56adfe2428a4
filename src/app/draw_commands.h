#pragma once
// The draw's commands: start, advance, the hint for prizes added during a draw, the end of the draw, and the
// clearing of every black and white list.

namespace kelvora {

class CommandRegistry;
class ShowController;

void registerDrawCommands(CommandRegistry& registry, ShowController& controller);

} // namespace kelvora
