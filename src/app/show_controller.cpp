#include "app/show_controller.h"
#include "app/file_message.h"

#include <QApplication>
#include <QWidget>

#include "audio/music_slots.h"
#include "draw/history.h"
#include "draw/progress_file.h"
#include "screen/full_list_view.h"
#include "screen/replay_view.h"

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
    // The rolls rise by the time elapsed, so a late tick makes a longer step; precise ticks keep the steps
    // even.
    m_rollTimer.setTimerType(Qt::PreciseTimer);
    m_rollTimer.setInterval(10);
    connect(&m_rollTimer, &QTimer::timeout, this, [this] { repaintScreen(); });
    // Music notes never interrupt the show: they go to the log beside the program.
    m_music = std::make_unique<MusicSlots>(m_records.music, m_records.paths.musicFolder,
                                           fileMusicLog(musicLogPath(m_records.paths.root)));
    connect(&m_musicTimer, &QTimer::timeout, this, [this] { m_music->loopTick(); });
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
    m_musicTimer.start();
}

void ShowController::stop() {
    if (m_fullListActive)
        stopFullList(false);
    if (m_replayActive)
        stopReplay(false);
    stopScrollTimer();
    m_musicTimer.stop();
    m_music->releaseAll();
}

void ShowController::backgroundMusicHotKey(int track) {
    m_music->backgroundHotKey(track);
}

void ShowController::setMusicVolume(int volume) {
    m_music->setVolume(volume);
}

bool ShowController::applyMusicSettings(const MusicSettings& settings) {
    m_records.music = settings;
    const bool saved =
        showFileResult(m_services.messages, m_window, saveMusicSettings(m_records.paths, m_records.music));
    const bool namesScrolling = m_run.drawStarted() && m_run.progress().state == DrawState::Scrolling;
    m_music->reloadAfterSettings(namesScrolling);
    Q_EMIT recordsChanged(RecordKind::Music);
    return saved;
}

void ShowController::prepareScrollMusic() {
    m_music->prepareScrollMusic();
}

// The draw checks the scroll and winning switches before it asks for these two.
void ShowController::startScrollMusic() {
    m_music->startScrollMusic();
}

void ShowController::rewindScrollMusic() {
    m_music->rewindScrollMusic();
}

void ShowController::startWinMusic() {
    m_music->startWinMusic();
}

void ShowController::releaseMusic() {
    m_music->release(MusicSlot::Scroll);
    m_music->release(MusicSlot::Win);
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

namespace {

RollStyle replayStyle(const PlaybackSettings& settings) {
    RollStyle style;
    style.namesPerRow = settings.namesPerRow;
    style.speed = settings.speed;
    style.margins = settings.margins;
    style.nameFont = settings.nameFont;
    style.headingFont = settings.headingFont;
    style.namesOnly = settings.namesOnly != 0;
    style.reverseOrder = settings.reverseOrder != 0;
    return style;
}

RollStyle fullListStyle(const FullListSettings& settings) {
    RollStyle style;
    style.namesPerRow = settings.namesPerRow;
    style.speed = settings.speed;
    style.margins = settings.margins;
    style.nameFont = settings.nameFont;
    style.namesOnly = settings.namesOnly != 0;
    return style;
}

} // namespace

RollPlace ShowController::rollPlace() const {
    RollPlace place;
    place.band = m_screen.computeBand(Band::ScrollArea).band;
    place.windowWidth = m_screen.width();
    place.logicalDpiY = m_screen.logicalDpiY();
    place.aspectRatio = m_records.pictureList.aspectRatio;
    return place;
}

void ShowController::rollsChanged(bool repaintNow) {
    setRollViews(m_screen.replayView().active(), m_screen.fullListView().active());
    if (m_replayActive || m_fullListActive) {
        if (!m_rollTimer.isActive())
            m_rollTimer.start();
    } else {
        m_rollTimer.stop();
    }
    // The floating prize picture stands in the background layer and steps aside for a roll.
    m_screen.rebuildBackground();
    if (repaintNow)
        repaintScreen();
}

bool ShowController::startReplay(bool repaintNow) {
    if (!m_run.drawStarted())
        return false;
    if (m_run.progress().state == DrawState::Scrolling) {
        showMessage(u"停止滚动后才可回放", MessageIcon::Warning);
        return false;
    }
    if (winnerCount(m_run.progress().winners, m_run.replayPrize()) == 0) {
        showMessage(u"中奖名单为空", MessageIcon::Warning);
        return false;
    }
    if (m_fullListActive)
        m_screen.fullListView().stop();
    const bool started =
        m_screen.replayView().start(m_screen.inputs(), replayStyle(m_records.playback), rollPlace());
    rollsChanged(repaintNow);
    return started;
}

void ShowController::stopReplay(bool repaintNow) {
    m_screen.replayView().stop();
    rollsChanged(repaintNow);
}

bool ShowController::startFullList(bool repaintNow) {
    if (m_run.progress().state == DrawState::Scrolling) {
        showMessage(u"停止滚动后才可展示总名单", MessageIcon::Warning);
        return false;
    }
    const EntrantList& list =
        m_records.drawMode.isTextMode() ? m_records.textList.entries : m_records.pictureList.entries;
    if (list.empty()) {
        showMessage(u"抽奖名单为空", MessageIcon::Warning);
        return false;
    }
    if (m_replayActive)
        m_screen.replayView().stop();
    const bool started =
        m_screen.fullListView().start(m_screen.inputs(), fullListStyle(m_records.fullList), rollPlace());
    rollsChanged(repaintNow);
    return started;
}

void ShowController::stopFullList(bool repaintNow) {
    m_screen.fullListView().stop();
    rollsChanged(repaintNow);
}

void ShowController::replayAll() {
    m_run.setReplayPrize(u"");
    startReplay(true);
}

void ShowController::replayCurrent() {
    m_run.setReplayPrize(lastGroupName(m_run.progress().winners));
    startReplay(true);
}

void ShowController::toggleRollPause() {
    if (m_fullListActive)
        m_screen.fullListView().togglePause();
    else if (m_replayActive)
        m_screen.replayView().togglePause();
}

void ShowController::resizeScreen(int width, int height, int logicalDpiY) {
    const bool changed =
        width != m_screen.width() || height != m_screen.height() || logicalDpiY != m_screen.logicalDpiY();
    m_screen.resize(width, height, logicalDpiY);
    if (!changed)
        return;
    // Laid out again for the new size, from the beginning.
    if (m_replayActive) {
        stopReplay(false);
        startReplay(false);
    }
    if (m_fullListActive) {
        stopFullList(false);
        startFullList(false);
    }
}

void ShowController::startReplay() {
    startReplay(true);
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
    // A roll's own settings change its layout: a roll on screen starts over with them; one that is not shown
    // only needs the screen repainted (its guides).
    if (which & RecordKind::Playback) {
        if (m_replayActive) {
            stopReplay(false);
            startReplay(true);
        } else {
            repaintScreen();
        }
    }
    if (which & RecordKind::FullList) {
        if (m_fullListActive) {
            stopFullList(false);
            startFullList(true);
        } else {
            repaintScreen();
        }
    }
}

// ------------------------------------------------------------------------------------------- DrawHost

MessageAnswer ShowController::showMessage(std::u16string_view text, MessageIcon icon,
                                          MessageButtons buttons) {
    return m_services.messages.show(m_window, text, icon, buttons);
}

void ShowController::repaintScreen() {
    // At up to 60 frames a second the frame must be on screen before the next tick deals the following one,
    // so this paints now instead of scheduling an update.
    if (m_window && m_window->isVisible()) {
        m_window->repaint();
        Q_EMIT frameShown();
    }
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
    if (result)
        Q_EMIT progressSaved();
    return static_cast<bool>(result);
}

} // namespace kelvora
