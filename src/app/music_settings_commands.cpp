#include "app/music_settings_commands.h"

#include "app/command_registry.h"
#include "app/main_window.h"
#include "audio/ui/music_settings_dialog.h"

namespace kelvora {

void registerMusicSettingsCommands(CommandRegistry& registry, MainWindow& window) {
    ShowController& controller = window.controller();
    registry.add(CommandId::MusicSettings)
        .text(u"音乐...")
        .functionKey(Qt::Key_F5)
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&window, &controller] {
            const AppRecords& records = controller.records();
            const AppServices& services = controller.services();
            MusicSettingsDialog dialog(
                records.music, records.paths, services.messages, services.files,
                {[&controller](std::int32_t volume) { controller.setMusicVolume(volume); },
                 [&controller](const MusicSettings& settings) { controller.applyMusicSettings(settings); }},
                &window);
            dialog.exec();
        });
}

} // namespace kelvora
