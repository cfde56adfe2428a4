#include "app/roll_commands.h"

#include "app/command_registry.h"
#include "app/show_controller.h"

namespace kelvora {

void registerRollCommands(CommandRegistry& registry, ShowController& controller) {
    registry.add(CommandId::ShowFullList)
        .text(u"展示")
        .functionKey(Qt::Key_F6)
        .inMenu(MenuPlace::FullList)
        .onTriggered([&controller] { controller.startFullList(true); });
    // Greyed before a draw; their keys are not, so the replay itself does nothing without a draw.
    registry.add(CommandId::ReplayAll)
        .text(u"全部奖项")
        .key(Qt::Key_Home)
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw)
        .onTriggered([&controller] { controller.replayAll(); });
    registry.add(CommandId::ReplayCurrent)
        .text(u"当前奖项")
        .key(Qt::Key_PageUp)
        .key(Qt::Key_Up)
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw)
        .onTriggered([&controller] { controller.replayCurrent(); });

    // The menus of the rolls; the advance input and Esc reach them while their roll shows.
    registry.add(CommandId::ReplayPause)
        .text(u"播放/暂停")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::ReplayRollPlay)
        .onTriggered([&controller] { controller.toggleRollPause(); });
    registry.add(CommandId::ReplayCancel)
        .text(u"取消回放")
        .input(ScreenInput::Escape)
        .inMenu(MenuPlace::ReplayRollCancel)
        .onTriggered([&controller] { controller.stopReplay(true); });
    registry.add(CommandId::FullListPause)
        .text(u"播放/暂停")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::FullListRollPlay)
        .onTriggered([&controller] { controller.toggleRollPause(); });
    registry.add(CommandId::FullListCancel)
        .text(u"取消展示")
        .input(ScreenInput::Escape)
        .inMenu(MenuPlace::FullListRollCancel)
        .onTriggered([&controller] { controller.stopFullList(true); });
}

} // namespace kelvora
