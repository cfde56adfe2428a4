#include "app/roll_settings_commands.h"

#include "app/command_registry.h"
#include "app/main_window.h"
#include "screen/ui/roll_settings_dialogs.h"
#include "winners/ui/replay_prize_dialog.h"

namespace kelvora {

namespace {

// Space-padded columns line up only in the faces where a character is two spaces wide.
bool spaceAlignedFonts(const AppRecords& records) {
    return isTextMode(records.drawMode.mode) && records.textList.spaceAligned != 0;
}

void editPlaybackSettings(MainWindow& window, ShowController& controller) {
    AppRecords& records = controller.records();
    PlaybackSettingsDialog dialog(records.playback, spaceAlignedFonts(records),
                                  controller.services().messages, &window);
    controller.setPlaybackDialogOpen(true);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    controller.setPlaybackDialogOpen(false);
    if (confirmed)
        controller.applyPlaybackSettings(dialog.toRecord());
}

void editFullListSettings(MainWindow& window, ShowController& controller) {
    AppRecords& records = controller.records();
    FullListSettingsDialog dialog(records.fullList, spaceAlignedFonts(records),
                                  controller.services().messages, &window);
    controller.setFullListDialogOpen(true);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    controller.setFullListDialogOpen(false);
    if (confirmed)
        controller.applyFullListSettings(dialog.toRecord());
}

void replayChosenPrize(MainWindow& window, ShowController& controller) {
    // Without a draw there are no winners to choose from, and the replay would not start.
    if (!controller.run().drawStarted())
        return;
    const std::optional<std::u16string> prize =
        askReplayPrize(controller.run().progress().winners, controller.services().messages, &window);
    if (!prize)
        return;
    controller.run().setReplayPrize(*prize);
    controller.startReplay();
}

} // namespace

void registerRollSettingsCommands(CommandRegistry& registry, MainWindow& window) {
    ShowController& controller = window.controller();
    registry.add(CommandId::FullListSettings)
        .text(u"设置...")
        .inMenu(MenuPlace::FullList)
        .inMenu(MenuPlace::FullListRollSettings)
        .onTriggered([&window, &controller] { editFullListSettings(window, controller); });
    registry.add(CommandId::ReplayChosen)
        .text(u"指定奖项...")
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw)
        .onTriggered([&window, &controller] { replayChosenPrize(window, controller); });
    registry.add(CommandId::PlaybackSettings)
        .text(u"设置...")
        .inMenu(MenuPlace::ReplaySettings)
        .inMenu(MenuPlace::ReplayRollSettings)
        .onTriggered([&window, &controller] { editPlaybackSettings(window, controller); });
}

} // namespace kelvora
