#include "app/winners_commands.h"

#include "app/command_registry.h"
#include "app/main_window.h"
#include "winners/ui/winners_dialog.h"

namespace kelvora {

void registerWinnersCommands(CommandRegistry& registry, MainWindow& window) {
    ShowController& controller = window.controller();
    // Greyed before a draw; the key is not, and the window itself opens only during a draw.
    registry.add(CommandId::Winners)
        .text(u"      中奖名单管理...")
        .functionKey(Qt::Key_F7)
        .keyNote(u": 弃奖/导出/打印")
        .inMenu(MenuPlace::DrawSteps)
        .available(Availability::DuringDraw)
        .onTriggered([&window, &controller] {
            AppRecords& records = controller.records();
            const AppServices& services = controller.services();
            showWinners({controller.run(), records.paths, services.messages, services.files}, &window);
        });
}

} // namespace kelvora
