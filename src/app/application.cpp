#include "app/application.h"

#include <QCoreApplication>

#include <optional>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "app/display_mode.h"
#include "app/draw_commands.h"
#include "app/file_message.h"
#include "app/info_commands.h"
#include "app/list_commands.h"
#include "app/look_commands.h"
#include "app/music_commands.h"
#include "app/music_settings_commands.h"
#include "app/prize_commands.h"
#include "app/rehearsal_check.h"
#include "app/roll_commands.h"
#include "app/roll_settings_commands.h"
#include "app/startup_checks.h"
#include "app/window_commands.h"
#include "app/winners_commands.h"
#include "draw/progress_file.h"
#include "settings/ui/black_white_list_dialog.h"
#include "settings/ui/import_dialog.h"

namespace kelvora {

Application::Application(const std::filesystem::path& root, const AppServices& services,
                         std::filesystem::path exe)
    : m_services(services), m_records(root),
      m_controller(std::make_unique<ShowController>(m_records, m_services)),
      m_window(std::make_unique<MainWindow>(*m_controller, m_commands)),
      m_console(std::make_unique<PresenterConsole>(*m_window, m_records.console)),
      m_rehearsal(std::make_unique<RehearsalMode>(*m_controller)),
      m_standby(std::make_unique<Standby>(*m_controller, *m_rehearsal, m_records.standby, std::move(exe))) {
    m_controller->setWindow(m_window.get());
    m_console->setMirrorText([this] {
        return PresenterConsole::MirrorLine{m_standby->mirrorText(), m_standby->mirrorFailing()};
    });
    connect(m_standby.get(), &Standby::restartRequested, this, [this] {
        m_restart = true;
        shutdownApplication();
    });
    registerCommands();
}

Application::~Application() = default;

ImportListHook Application::importListHook() {
    return [this](QWidget* measureWindow, TextNameList& list) {
        return runImportDialog(measureWindow, list, m_services.messages, m_services.files);
    };
}

EditPrizeListsHook Application::editPrizeListsHook() {
    return [this](QWidget* owner, PrizeItem& prize) {
        // Entrants are picked from the list of the draw mode.
        const PickEntrantsHook pick = m_records.drawMode.isTextMode()
                                          ? textListPicker(*m_controller, importListHook())
                                          : pictureListPicker(*m_controller);
        return editBlackWhiteLists(owner, prize, m_records.prizes, m_controller->run().drawStarted(),
                                   m_services.messages, pick);
    };
}

void Application::registerCommands() {
    // Each feature declares its commands in its own file; the menus and the key tables follow.
    registerDrawCommands(m_commands, *m_controller);
    registerListCommands(m_commands, *m_controller,
                         ListCommandHooks{importListHook(), pictureListEditor(*m_controller)});
    registerWindowCommands(m_commands, *m_window);
    registerInfoCommands(m_commands, *m_window);
    registerPrizeCommands(m_commands, *m_window, editPrizeListsHook());
    registerLookCommands(m_commands, *m_window);
    registerRollCommands(m_commands, *m_controller);
    registerMusicSettingsCommands(m_commands, *m_window);
    registerRollSettingsCommands(m_commands, *m_window);
    registerMusicCommands(m_commands, *m_controller);
    registerWinnersCommands(m_commands, *m_window);
    registerConsoleCommands(m_commands, *m_console);
    registerRehearsalCheckCommand(m_commands, *m_window);
    registerRehearsalCommands(m_commands, *m_rehearsal);
    registerStandbyCommands(m_commands, *m_window, *m_standby);
    m_window->rebuildAccelerators();
}

void Application::readSettings() {
    // The fixed order: each failure is shown at once (no owner window yet) and leaves that record's defaults;
    // the progress comes last because it is checked against the prizes.
    MessageBox& messages = m_services.messages;
    const DataPaths& paths = m_records.paths;
    showFileResult(messages, nullptr, loadPrizes(paths, m_records.prizes));
    showFileResult(messages, nullptr, loadDrawMode(paths, m_records.drawMode));
    showFileResult(messages, nullptr, loadTextNameList(paths, m_records.textList));
    showFileResult(messages, nullptr, loadPictureNameList(paths, m_records.pictureList));
    showFileResult(messages, nullptr, loadInterfaceSettings(paths, m_records.interface));
    showFileResult(messages, nullptr, loadMusicSettings(paths, m_records.music));
    showFileResult(messages, nullptr, loadFullListSettings(paths, m_records.fullList));
    showFileResult(messages, nullptr, loadPlaybackSettings(paths, m_records.playback));
    const QRect primary = primaryScreenRect();
    showFileResult(messages, nullptr,
                   loadWindowedSettings(paths, m_records.windowed, primary.width(), primary.height()));
    showFileResult(messages, nullptr, loadConsoleSettings(paths, m_records.console));
    showFileResult(messages, nullptr, loadStandbySettings(paths, m_records.standby));
    // A rehearsal the program died in goes on as one: its own progress file is read, never the real one.
    m_rehearsal->resumeInterrupted();
    std::optional<DrawProgress> saved;
    showFileResult(messages, nullptr, loadProgress(m_records.paths, m_records.prizes, saved));
    if (saved)
        m_controller->run().resume(std::move(*saved));
}

bool Application::startApplication() {
    // Only a started program has a message loop for the close to end; before that a close ends nothing.
    connect(m_window.get(), &MainWindow::exitConfirmed, this, &Application::shutdownApplication,
            Qt::UniqueConnection);
    readSettings();

    m_controller->loadStartupPictures();

    applyDisplayMode(*m_window, m_records.windowed);
    m_window->show();
    m_window->setTopmost(true);
    m_window->activateWindow();

    runStartupChecks();
    m_standby->startMirror();

    m_controller->startMusicLoop();
    m_controller->repaintScreen();

    // The draw screen yields to whatever else the operator runs beside it (music, a presentation).
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 2);
    return true;
}

void Application::runStartupChecks() {
    const std::u16string fonts = missingFontsText(m_fontAliasFailure, fontFamilyInstalled);
    if (!fonts.empty())
        m_services.messages.show(m_window.get(), fonts, MessageIcon::Warning);
    const std::u16string sound = missingSoundText(soundElementAvailable);
    if (!sound.empty())
        m_services.messages.show(m_window.get(), sound, MessageIcon::Warning);
}

void Application::shutdownApplication() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_console->close();
    m_controller->stop();
    m_rehearsal->discard();
    m_window->hide();
    QCoreApplication::exit(0);
}

} // namespace kelvora
