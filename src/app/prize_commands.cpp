#include "app/prize_commands.h"

#include <memory>

#include "app/command_registry.h"
#include "app/main_window.h"
#include "settings/ui/prize_settings_dialog.h"

namespace kelvora {

void registerPrizeCommands(CommandRegistry& registry, MainWindow& window, EditPrizeListsHook editLists) {
    ShowController& controller = window.controller();
    // Changes whose write failed are written again the next time the window closes, even if nothing else
    // changed then.
    auto unsaved = std::make_shared<bool>(false);
    registry.add(CommandId::PrizeSettings)
        .text(u"奖项...")
        .functionKey(Qt::Key_F2)
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&window, &controller, unsaved, editLists] {
            AppRecords& records = controller.records();
            const AppServices& services = controller.services();
            PrizeSettingsDialog dialog(records.prizes, records.paths, controller.run(), records.interface,
                                       services.messages, services.files, editLists, &window);
            dialog.setPrizesChanged(*unsaved);
            dialog.exec();
            *unsaved = dialog.prizesChanged();
            if (dialog.listEdited())
                controller.prizesEdited();
        });
}

} // namespace kelvora
