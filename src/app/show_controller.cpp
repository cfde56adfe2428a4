#include "app/show_controller.h"
#include "app/file_message.h"

#include <QApplication>
#include <QWidget>

#include "draw/history.h"
#include "draw/progress_file.h"

namespace kelvora {

bool exitNeedsQuestion(const DrawRun& run) {
    if (!run.drawStarted())
        return false;
    const PrizeItem* prize = run.currentPrize();
    const bool complete = prize && run.isLastPrize() && run.progress().drawnCount >= prize->quota;
    return !complete;
}

ShowController::ShowController(AppRecords& records, const AppServices& services)
    : m_records(records), m_services(services),
      m_run(*this, services.random,
            DrawSources{&records.prizes, &records.textList.entries, &records.pictureList.entries,
                        &records.drawMode.mode, &records.interface.scrollSpeed, &records.music.scrollMusicOn,
                        &records.music.winMusicOn}),
      m_screen(ScreenInputs{&m_run, &records.interface, &records.prizes, &records.textList.entries,
                            &records.pictureList.entries, &records.drawMode.mode,
                            &records.textList.spaceAligned, &records.paths}) {
    // Qt timers never queue missed ticks, so a slow frame cannot make the scroll catch up in a burst.
    m_scrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] { m_run.scrollTimerTick(); });
    m_musicTimer.setInterval(100);
    connect(this, &ShowController::recordsChanged, this, &ShowController::followRecords);
}

ShowController::~ShowController() = default;

void ShowController::setWindow(QWidget* window) {
    m_window = window;
}

void ShowController::loadStartupPictures() {
    std::u16string warning;
    if (!loadBackgroundPicture(m_records.paths, m_records.interface, m_screen.backgroundPicture(), warning))
        m_services.messages.show(nullptr, warning, MessageIcon::Warning);
    if (m_run.drawStarted() && !reloadPrizePicture(m_run.progress().prizeIndex, warning))
        m_services.messages.show(nullptr, warning, MessageIcon::Warning);
    m_screen.rebuildBackground();
}

void ShowController::startMusicLoop() {
    // The music slots come with their own feature; the loop already runs so that they only add their tick.
    m_musicTimer.start();
}

void ShowController::stop() {
    // The roll views stop here once they exist.
    stopScrollTimer();
    m_musicTimer.stop();
    releaseMusic();
}

void ShowController::setMusicVolume(int) {}

bool ShowController::applyMusicSettings(const MusicSettings& settings) {
    m_records.music = settings;
    const bool saved =
        showFileResult(m_services.messages, m_window, saveMusicSettings(m_records.paths, m_records.music));
    Q_EMIT recordsChanged(RecordKind::Music);
    return saved;
}

void ShowController::endDraw() {
    kelvora::endDraw(m_run, *this, m_records.paths, m_services.clock);
}

bool ShowController::confirmExit() {
    return !exitNeedsQuestion(m_run) ||
           showMessage(kExitQuestion, MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void ShowController::setRollViews(bool replayActive, bool fullListActive) {
    m_replayActive = replayActive;
    m_fullListActive = fullListActive;
    m_screen.inputs().replayViewActive = replayActive;
    m_screen.inputs().fullListViewActive = fullListActive;
    Q_EMIT rollViewsChanged(replayActive, fullListActive);
}

void ShowController::applyWindowedSettings(const WindowedSettings& settings) {
    m_records.windowed = settings;
    showFileResult(m_services.messages, m_window, saveWindowedSettings(m_records.paths, m_records.windowed));
    Q_EMIT recordsChanged(RecordKind::Windowed);
}

bool ShowController::applyInterfaceSettings(const InterfaceSettings& settings) {
    m_records.interface = settings;
    std::u16string warning;
    const bool loaded =
        loadBackgroundPicture(m_records.paths, m_records.interface, m_screen.backgroundPicture(), warning);
    Q_EMIT recordsChanged(RecordKind::Interface);
    if (!loaded)
        showMessage(warning, MessageIcon::Warning);
    return showFileResult(m_services.messages, m_window,
                          saveInterfaceSettings(m_records.paths, m_records.interface));
}

void ShowController::setInterfaceDialogOpen(bool open) {
    m_screen.inputs().interfaceDialogOpen = open;
    repaintScreen();
}

void ShowController::applyPlaybackSettings(const PlaybackSettings& settings) {
    m_records.playback = settings;
    showFileResult(m_services.messages, m_window, savePlaybackSettings(m_records.paths, m_records.playback));
    Q_EMIT recordsChanged(RecordKind::Playback);
}

void ShowController::applyFullListSettings(const FullListSettings& settings) {
    m_records.fullList = settings;
    showFileResult(m_services.messages, m_window, saveFullListSettings(m_records.paths, m_records.fullList));
    Q_EMIT recordsChanged(RecordKind::FullList);
}

void ShowController::setPlaybackDialogOpen(bool open) {
    m_screen.inputs().playbackDialogOpen = open;
    repaintScreen();
}

void ShowController::setFullListDialogOpen(bool open) {
    m_screen.inputs().fullListDialogOpen = open;
    repaintScreen();
}

void ShowController::namesEdited() {
    Q_EMIT recordsChanged(RecordKind::DrawMode | RecordKind::TextList | RecordKind::PictureList);
}

void ShowController::prizesEdited() {
    if (m_run.drawStarted())
        loadPrizePicture(m_run.progress().prizeIndex);
    Q_EMIT recordsChanged(RecordKind::Prizes);
}

void ShowController::followRecords(RecordKinds which) {
    // Fonts are made from the look, and the scroll area's from the prize as well; the background layer holds
    // the prize picture's place.
    if (which & RecordKind::Interface)
        m_screen.dropFonts();
    if (which & RecordKind::Prizes)
        m_screen.dropScrollFont();
    if (which & (RecordKind::Interface | RecordKind::Prizes)) {
        m_screen.rebuildBackground();
        repaintScreen();
    }
    // A new scroll speed counts from now on. While a dialog holds the scroll at one frame a second, the first
    // tick after it closes picks the new speed up by itself.
    if ((which & RecordKind::Interface) && m_scrollTimer.isActive() && !m_run.slowScroll())
        m_scrollTimer.start(m_run.scrollPeriodMs());
    // A roll's settings reach the screen when that roll is laid out again; one that is not shown only needs
    // the screen repainted (its guides).
    if (((which & RecordKind::Playback) && !m_replayActive) ||
        ((which & RecordKind::FullList) && !m_fullListActive))
        repaintScreen();
}

// ------------------------------------------------------------------------------------------- DrawHost

MessageAnswer ShowController::showMessage(std::u16string_view text, MessageIcon icon,
                                          MessageButtons buttons) {
    return m_services.messages.show(m_window, text, icon, buttons);
}

void ShowController::repaintScreen() {
    // At up to 60 frames a second the frame must be on screen before the next tick deals the following one,
    // so this paints now instead of scheduling an update.
    if (m_window && m_window->isVisible())
        m_window->repaint();
}

void ShowController::startScrollTimer(int periodMs) {
    m_scrollTimer.start(periodMs);
}

void ShowController::stopScrollTimer() {
    m_scrollTimer.stop();
}

bool ShowController::isDialogActive() {
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr;
}

void ShowController::loadPrizePicture(int prizeIndex) {
    // During the draw a missing picture is silent: the start-up has reported it once already.
    std::u16string warning;
    reloadPrizePicture(prizeIndex, warning);
}

bool ShowController::reloadPrizePicture(int prizeIndex, std::u16string& warning) {
    if (prizeIndex < 0 || static_cast<std::size_t>(prizeIndex) >= m_records.prizes.size()) {
        m_screen.prizePicture().release();
        return true;
    }
    return loadPrizePictureFor(m_records.paths, m_records.prizes[static_cast<std::size_t>(prizeIndex)],
                               m_screen.prizePicture(), warning);
}

void ShowController::rebuildBackground() {
    m_screen.rebuildBackground();
}

void ShowController::dropScrollFont() {
    m_screen.dropScrollFont();
}

bool ShowController::capsLockOn() {
    return m_services.capsLock.capsLockOn();
}

bool ShowController::saveProgress(const DrawProgress& progress, std::u16string& errorText) {
    const FileResult result = kelvora::saveProgress(m_records.paths, progress);
    errorText = messageText(result);
    return static_cast<bool>(result);
}

} // namespace kelvora
