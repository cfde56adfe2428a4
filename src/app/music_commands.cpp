#include "app/music_commands.h"

#include "app/command_registry.h"
#include "app/show_controller.h"

namespace kelvora {

void registerMusicCommands(CommandRegistry& registry, ShowController& controller) {
    registry.add(CommandId::BackgroundMusic1)
        .key(Qt::CTRL | Qt::Key_1)
        .extraKey(Qt::Key_Tab)
        .alsoWhileRolling()
        .onTriggered([&controller] { controller.backgroundMusicHotKey(1); });
    registry.add(CommandId::BackgroundMusic2)
        .key(Qt::CTRL | Qt::Key_2)
        .alsoWhileRolling()
        .onTriggered([&controller] { controller.backgroundMusicHotKey(2); });
    registry.add(CommandId::BackgroundMusic3)
        .key(Qt::CTRL | Qt::Key_3)
        .alsoWhileRolling()
        .onTriggered([&controller] { controller.backgroundMusicHotKey(3); });
}

} // namespace kelvora
