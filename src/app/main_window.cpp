#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWindow>

#include "app/display_mode.h"
#include "app/file_message.h"
#include "app/help_page.h"
#include "app/illustrations.h"
#include "app/info_dialog.h"
#include "app/qt_text.h"
#include "app/windowed_dialog.h"
#include "draw/history.h"
#include "draw/progress_file.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

bool isAdvanceKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_PageDown || key == Qt::Key_Down;
}

} // namespace

bool exitNeedsQuestion(const DrawRun& run) {
    if (!run.drawStarted)
        return false;
    const PrizeItem* prize = run.currentPrize();
    const bool complete = prize && run.isLastPrize() && run.progress.drawnCount >= prize->quota;
    return !complete;
}

MainWindow::MainWindow(AppRecords& records, const AppServices& services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_records(records), m_services(services),
      m_run(*this, services.random,
            DrawSources{&records.prizes, &records.textList.entries, &records.pictureList.entries,
                        &records.drawMode.mode, &records.interface.scrollSpeed, &records.music.scrollMusicOn,
                        &records.music.winMusicOn}),
      m_screen(ScreenInputs{&m_run, &records.interface, &records.prizes, &records.textList.entries,
                            &records.pictureList.entries, &records.drawMode.mode,
                            &records.textList.spaceAligned}) {
    setWindowTitle(toQString(kProgramCaption));
    setWindowIcon(programIcon());
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel comes from the composed frame: no background erase between frames, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    // Qt timers never queue missed ticks, so a slow frame cannot make the scroll catch up in a burst.
    m_scrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] { m_run.scrollTimerTick(); });
    m_musicTimer.setInterval(100);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { setTopmost(state == Qt::ApplicationActive); });

    bindOwnCommands();
    rebuildAccelerators();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------------------------- commands

void MainWindow::bindOwnCommands() {
    bindCommand(cmd::Backup, [this] { BackupDialog(m_records.paths.settingsFolder, this).exec(); });
    bindCommand(cmd::RemoteInfo, [this] { InfoDialog(InfoTopic::Remote, this).exec(); });
    bindCommand(cmd::TouchInfo, [this] { InfoDialog(InfoTopic::Touch, this).exec(); });
    bindCommand(cmd::DoubleKeysInfo, [this] { InfoDialog(InfoTopic::DoubleKeys, this).exec(); });
    bindCommand(cmd::StartDraw, [this] { m_run.startDraw(); });
    bindCommand(cmd::AdvanceDraw, [this] { m_run.advanceDraw(); });
    bindCommand(cmd::AddPrizeHint, [this] { showMessage(kAddPrizeHintText, MessageIcon::Information); });
    bindCommand(cmd::EndDraw, [this] { endDraw(m_run, *this, m_records.paths, m_services.clock); });
    bindCommand(cmd::History, [this] { showHistoryFolder(); });
    bindCommand(cmd::Help, [this] { showHelp(); });
    bindCommand(cmd::About, [this] { AboutDialog(this).exec(); });
    bindCommand(cmd::Windowed, [this] { windowed(); });
    bindCommand(cmd::FullScreen, [this] { fullScreen(); });
    bindCommand(cmd::ExtendedScreen, [this] { ShowOnExtendedScreen(*this, m_services.messages); });
    bindCommand(cmd::Minimize, [this] { showMinimized(); });
    bindCommand(cmd::Exit, [this] { close(); });
    bindCommand(cmd::ClearLists, [this] {
        showFileResult(m_services.messages, this, clearAllBlackWhiteLists(m_records.paths, m_records.prizes));
    });
}

void MainWindow::bindCommand(int id, std::function<void()> action) {
    m_commands[id] = std::move(action);
}

bool MainWindow::commandAvailable(int id) const {
    return m_commands.count(id) != 0;
}

void MainWindow::runCommand(int id) {
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return;
    it->second();
    regainFocus();
}

void MainWindow::regainFocus() {
    // A closed dialog hands the keyboard back to its owner only where a window manager does it; without one
    // the keys of the draw would go nowhere after the first message box.
    if (isVisible() && !isMinimized() && QApplication::activeWindow() == nullptr)
        activateWindow();
}

void MainWindow::rebuildAccelerators() {
    for (QAction* action : m_accelerators) {
        removeAction(action);
        delete action;
    }
    m_accelerators.clear();
    m_normalOnlyAccelerators.clear();
    const auto rollTable = rollAccelerators();
    for (const Accelerator& accel : normalAccelerators()) {
        if (!commandAvailable(accel.id))
            continue;
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(QString::fromLatin1(accel.keys.data(), accel.keys.size())));
        action->setShortcutContext(Qt::WindowShortcut);
        // Auto-repeat of a held F-key would open the same dialog again as soon as it closes.
        action->setAutoRepeat(false);
        const int id = accel.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        addAction(action);
        m_accelerators.push_back(action);
        const bool inRollTable = std::any_of(rollTable.begin(), rollTable.end(), [&](const Accelerator& r) {
            return r.keys == accel.keys && r.id == accel.id;
        });
        if (!inRollTable)
            m_normalOnlyAccelerators.push_back(action);
    }
    // Alt+F4 is the window system's key; without a window manager nobody else turns it into a close.
    auto* exitAction = new QAction(this);
    exitAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    exitAction->setShortcutContext(Qt::WindowShortcut);
    exitAction->setAutoRepeat(false);
    connect(exitAction, &QAction::triggered, this, [this] { runCommand(cmd::Exit); });
    addAction(exitAction);
    m_accelerators.push_back(exitAction);
    setRollViews(m_replayActive, m_fullListActive);
}

void MainWindow::setRollViews(bool replayActive, bool fullListActive) {
    m_replayActive = replayActive;
    m_fullListActive = fullListActive;
    m_screen.inputs().replayViewActive = replayActive;
    m_screen.inputs().fullListViewActive = fullListActive;
    const bool rolling = replayActive || fullListActive;
    for (QAction* action : m_normalOnlyAccelerators)
        action->setEnabled(!rolling);
}

void MainWindow::advanceInput() {
    if (m_fullListActive) {
        runCommand(cmd::FullListPause);
    } else if (m_run.drawStarted) {
        if (m_replayActive)
            runCommand(cmd::ReplayPause);
        else
            m_run.advanceDraw();
    } else {
        m_run.startDraw();
    }
    regainFocus();
}

std::unique_ptr<QMenu> MainWindow::createContextMenu() {
    const ContextMenu which = m_fullListActive ? ContextMenu::FullList
                              : m_replayActive ? ContextMenu::Replay
                                               : ContextMenu::Main;
    auto menu = std::make_unique<QMenu>(this);
    populateMenu(
        *menu, contextMenuItems(which), [this](int id) { return commandAvailable(id); },
        [this](int id) { runCommand(id); });
    QMenu* raw = menu.get();
    connect(raw, &QMenu::aboutToShow, this, [this, raw] { updateMenuState(*raw, m_run.drawStarted); });
    return menu;
}

void MainWindow::fullScreen() {
    m_records.windowed.fullScreen = 1;
    ApplyDisplayMode(*this, m_records.windowed);
    showFileResult(m_services.messages, this, saveWindowedSettings(m_records.paths, m_records.windowed));
}

void MainWindow::windowed() {
    WindowedDialog dialog(m_records.paths, m_records.windowed, m_services.messages, this);
    if (dialog.exec() == QDialog::Accepted)
        ApplyDisplayMode(*this, m_records.windowed);
}

void MainWindow::showHistoryFolder() {
    const std::filesystem::path& folder = m_records.paths.historyFolder;
    removeStrayFile(folder);
    if (const int error = ensureFolderTree(folder, true); error != 0) {
        showFileResult(m_services.messages, this,
                       FileResult::failed(FileOp::CreateFolder, FileStep::Open, folder, error));
        return;
    }
    // Without a file manager nothing would happen at all; the path at least tells where the files are.
    if (!openWithShell(QUrl::fromLocalFile(QString::fromStdString(folder.string()))))
        showMessage(u"无法打开文件夹:\n" + pathText(folder), MessageIcon::Warning);
}

void MainWindow::showHelp() {
    const QString page = writeHelpPage();
    if (page.isEmpty()) {
        showHelpWindow(this);
        return;
    }
    if (!openWithShell(QUrl::fromLocalFile(page)))
        showHelpWindow(this);
}

bool MainWindow::openWithShell(const QUrl& url) {
    // Give up the front first, or the opened program would stay hidden behind the topmost draw screen.
    setTopmost(false);
    if (QDesktopServices::openUrl(url))
        return true;
    setTopmost(true);
    return false;
}

// ------------------------------------------------------------------------------------- window behaviour

void MainWindow::setTopmost(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags != windowFlags()) {
        // setWindowFlags() would hide and re-create the native window; changing the flag on the existing
        // one keeps it where it is and avoids a flash in front of the audience.
        const QRect geometry = this->geometry();
        overrideWindowFlags(flags);
        if (QWindow* window = windowHandle())
            window->setFlags(flags);
        if (this->geometry() != geometry)
            setGeometry(geometry);
    }
    // Without a window manager the hint means nothing: stacking is the order of raising.
    if (on && isVisible())
        raise();
}

bool MainWindow::isTopmost() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void MainWindow::bringToFront() {
    if (isMinimized())
        showNormal();
    show();
    setTopmost(true);
    raise();
    activateWindow();
}

void MainWindow::paintEvent(QPaintEvent*) {
    syncScreenSize();
    QPainter painter(this);
    const QImage& frame = m_screen.composeFrame();
    if (!frame.isNull())
        painter.drawImage(0, 0, frame);
    else
        painter.fillRect(rect(), QColor(230, 0, 0));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    syncScreenSize();
    QWidget::resizeEvent(event);
}

void MainWindow::syncScreenSize() {
    if (m_screen.width() != width() || m_screen.height() != height())
        m_screen.resize(width(), height(), logicalDpiY());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Tab:
        runCommand(cmd::BackgroundMusic1);
        break;
    case Qt::Key_Escape:
        if (m_replayActive)
            runCommand(cmd::ReplayCancel);
        else if (m_fullListActive)
            runCommand(cmd::FullListCancel);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    // Acting on the release makes a held key one step: auto-repeat sends releases too, marked as such.
    if (isAdvanceKey(event->key())) {
        event->accept();
        if (!event->isAutoRepeat())
            advanceInput();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setTopmost(true);
        repaintScreen();
    } else if (event->button() == Qt::RightButton) {
        std::unique_ptr<QMenu> menu = createContextMenu();
        menu->exec(event->globalPosition().toPoint());
        regainFocus();
    }
    event->accept();
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        advanceInput();
    event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exitNeedsQuestion(m_run) &&
        showMessage(kExitQuestion, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT exitConfirmed();
}

bool MainWindow::focusNextPrevChild(bool) {
    // Tab is a command key here (background music), never a focus move.
    return false;
}

// ------------------------------------------------------------------------------------------- DrawHost

MessageAnswer MainWindow::showMessage(std::u16string_view text, MessageIcon icon, MessageButtons buttons) {
    return m_services.messages.show(this, text, icon, buttons);
}

void MainWindow::repaintScreen() {
    if (isVisible())
        repaint();
}

void MainWindow::startScrollTimer(int periodMs) {
    m_scrollTimer.start(periodMs);
}

void MainWindow::stopScrollTimer() {
    m_scrollTimer.stop();
}

bool MainWindow::isDialogActive() {
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr;
}

void MainWindow::loadPrizePicture(int prizeIndex) {
    // During the draw a missing picture is silent: the start-up has reported it once already.
    std::u16string warning;
    reloadPrizePicture(prizeIndex, warning);
}

bool MainWindow::reloadPrizePicture(int prizeIndex, std::u16string& warning) {
    if (prizeIndex < 0 || static_cast<std::size_t>(prizeIndex) >= m_records.prizes.size()) {
        m_screen.prizePicture().release();
        return true;
    }
    return loadPrizePictureFor(m_records.paths, m_records.prizes[static_cast<std::size_t>(prizeIndex)],
                               m_screen.prizePicture(), warning);
}

void MainWindow::loadStartupPictures() {
    std::u16string warning;
    if (!loadBackgroundPicture(m_records.paths, m_records.interface, m_screen.backgroundPicture(), warning))
        m_services.messages.show(nullptr, warning, MessageIcon::Warning);
    if (m_run.drawStarted && !reloadPrizePicture(m_run.progress.prizeIndex, warning))
        m_services.messages.show(nullptr, warning, MessageIcon::Warning);
    m_screen.rebuildBackground();
}

void MainWindow::startMusicLoop() {
    // The music slots come with their own feature; the loop already runs so that they only add their tick.
    m_musicTimer.start();
}

void MainWindow::rebuildBackground() {
    m_screen.rebuildBackground();
}

void MainWindow::dropScrollFont() {
    m_screen.dropScrollFont();
}

bool MainWindow::capsLockOn() {
    return m_services.capsLock.capsLockOn();
}

bool MainWindow::saveProgress(const DrawProgress& progress, std::u16string& errorText) {
    const FileResult result = kelvora::saveProgress(m_records.paths, progress);
    errorText = messageText(result);
    return static_cast<bool>(result);
}

} // namespace kelvora
