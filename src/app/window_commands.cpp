#include "app/window_commands.h"

#include "app/command_registry.h"
#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/windowed_dialog.h"

namespace kelvora {

void registerWindowCommands(CommandRegistry& registry, MainWindow& window) {
    ShowController& controller = window.controller();
    registry.add(CommandId::Windowed)
        .text(u"窗口化")
        .functionKey(Qt::Key_F10)
        .inMenu(MenuPlace::DisplayModes)
        .onTriggered([&window, &controller] {
            WindowedDialog dialog(&window);
            dialog.fromRecord(controller.records().windowed);
            if (dialog.exec() == QDialog::Accepted)
                controller.applyWindowedSettings(dialog.toRecord());
        });
    registry.add(CommandId::FullScreen)
        .text(u"全屏化")
        .functionKey(Qt::Key_F11)
        .inMenu(MenuPlace::DisplayModes)
        .onTriggered([&controller] {
            WindowedSettings settings = controller.records().windowed;
            settings.fullScreen = 1;
            controller.applyWindowedSettings(settings);
        });
    // Not remembered: the next start places the window by the saved mode again.
    registry.add(CommandId::ExtendedScreen)
        .text(u"只显示到扩展屏")
        .functionKey(Qt::Key_F12)
        .inMenu(MenuPlace::DisplayModes)
        .onTriggered([&window] { window.showOnExtendedScreen(); });
    registry.add(CommandId::Minimize)
        .text(u"最小化")
        .functionKey(Qt::Key_F9)
        .inMenu(MenuPlace::Window)
        .onTriggered([&window] { window.showMinimized(); });
    // Alt+F4 is the window system's key; without a window manager nobody else turns it into a close. Like the
    // window system's key it works during a roll too.
    registry.add(CommandId::Exit)
        .text(u"退出")
        .key(Qt::ALT | Qt::Key_F4)
        .alsoWhileRolling()
        .inMenu(MenuPlace::Window)
        .onTriggered([&window] { window.close(); });
}

} // namespace kelvora
