#pragma once
// The program from start-up to exit: owns every record, the show and the main window, reads the settings in
// their fixed order, resumes an interrupted draw, places and shows the draw screen, runs the start-up checks,
// and takes it all down again in order.

#include <QObject>

#include <filesystem>
#include <memory>

#include "app/app_records.h"
#include "app/command_registry.h"
#include "app/main_window.h"
#include "app/presenter_console.h"
#include "app/rehearsal_mode.h"
#include "app/show_controller.h"
#include "app/standby.h"
#include "settings/ui/editor_hooks.h"

namespace kelvora {

class Application : public QObject {
    Q_OBJECT
public:
    // root: the folder every data path is built from (the executable's folder).
    // exe: the program file, which the live mirror carries.
    Application(const std::filesystem::path& root, const AppServices& services,
                std::filesystem::path exe = {});
    ~Application() override;

    // Reads everything, shows the draw screen and starts its timers. Returns false when the program must
    // end before its message loop.
    bool startApplication();
    // Stops the views and the music and ends the message loop.
    void shutdownApplication();

    AppRecords& records() { return m_records; }
    ShowController& controller() { return *m_controller; }
    CommandRegistry& commands() { return m_commands; }
    MainWindow& mainWindow() { return *m_window; }
    PresenterConsole& console() { return *m_console; }
    RehearsalMode& rehearsal() { return *m_rehearsal; }
    Standby& standby() { return *m_standby; }
    // An opened event package asked for the program to start again on it, once the loop has ended.
    bool restartRequested() const { return m_restart; }

    // Whether the fontconfig alias file was loaded before the application object existed; its path when
    // not, for the start-up check's message.
    void setFontAliasFailure(std::u16string failedPath) { m_fontAliasFailure = std::move(failedPath); }

private:
    void registerCommands();
    // The list import and a prize's black and white list editor, as the other editors open them.
    ImportListHook importListHook();
    EditPrizeListsHook editPrizeListsHook();
    void readSettings();
    void runStartupChecks();

    AppServices m_services;
    AppRecords m_records;
    std::unique_ptr<ShowController> m_controller;
    CommandRegistry m_commands;
    std::unique_ptr<MainWindow> m_window;
    // Goes before the draw screen it follows.
    std::unique_ptr<PresenterConsole> m_console;
    std::unique_ptr<RehearsalMode> m_rehearsal;
    std::unique_ptr<Standby> m_standby;
    std::u16string m_fontAliasFailure;
    bool m_shutDown = false;
    bool m_restart = false;
};

} // namespace kelvora
