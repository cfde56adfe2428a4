#include "app/application.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "app/display_mode.h"
#include "app/startup_checks.h"
#include "draw/progress_file.h"

namespace kelvora {

Application::Application(const std::filesystem::path& root, const AppServices& services)
    : m_services(services), m_records(root), m_window(std::make_unique<MainWindow>(m_records, m_services)) {
    connect(m_window.get(), &MainWindow::exitConfirmed, this, &Application::shutdownApplication);
}

Application::~Application() = default;

void Application::readSettings() {
    // The fixed order: each reader reports its own failure (no owner window yet) and leaves its defaults;
    // the progress comes last because it is checked against the prizes.
    MessageBox& messages = m_services.messages;
    const DataPaths& paths = m_records.paths;
    loadPrizes(paths, m_records.prizes, messages, nullptr);
    loadDrawMode(paths, m_records.drawMode, messages, nullptr);
    loadTextNameList(paths, m_records.textList, messages, nullptr);
    loadPictureNameList(paths, m_records.pictureList, messages, nullptr);
    loadInterfaceSettings(paths, m_records.interface, messages, nullptr);
    loadMusicSettings(paths, m_records.music, messages, nullptr);
    loadFullListSettings(paths, m_records.fullList, messages, nullptr);
    loadPlaybackSettings(paths, m_records.playback, messages, nullptr);
    const QRect primary = primaryScreenRect();
    loadWindowedSettings(paths, m_records.windowed, primary.width(), primary.height(), messages, nullptr);
    loadProgress(paths, m_records.prizes, m_window->run(), messages, nullptr);
}

bool Application::startApplication() {
    readSettings();

    m_window->loadStartupPictures();

    ApplyDisplayMode(*m_window, m_records.windowed);
    m_window->show();
    m_window->setTopmost(true);
    m_window->activateWindow();

    runStartupChecks();

    m_window->startMusicLoop();
    m_window->repaintScreen();

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
    // The roll views stop and the music slots are released here once they exist.
    m_window->stopScrollTimer();
    m_window->releaseMusic();
    m_window->hide();
    QCoreApplication::exit(0);
}

} // namespace kelvora
