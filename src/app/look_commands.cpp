#include "app/look_commands.h"

#include "app/command_registry.h"
#include "app/main_window.h"
#include "screen/ui/interface_settings_dialog.h"

namespace kelvora {

void registerLookCommands(CommandRegistry& registry, MainWindow& window) {
    ShowController& controller = window.controller();
    registry.add(CommandId::InterfaceSettings)
        .text(u"界面...")
        .functionKey(Qt::Key_F4)
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&window, &controller] {
            AppRecords& records = controller.records();
            const AppServices& services = controller.services();
            // Space-padded columns line up only in the faces where a character is two spaces wide.
            const bool spaceAligned = isTextMode(records.drawMode.mode) && records.textList.spaceAligned != 0;
            InterfaceSettingsDialog dialog(
                records.interface, records.paths, spaceAligned, services.messages, services.files,
                [&controller](const InterfaceSettings& look) { controller.applyInterfaceSettings(look); },
                &window);
            controller.setInterfaceDialogOpen(true);
            dialog.exec();
            controller.setInterfaceDialogOpen(false);
        });
}

} // namespace kelvora
