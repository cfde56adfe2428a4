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

#include <cerrno>

#include "app/display_mode.h"
#include "app/help_page.h"
#include "app/illustrations.h"
#include "app/info_dialog.h"
#include "app/qt_text.h"
#include "app/windowed_dialog.h"
#include "settings/file_system.h"
#include "settings/settings_file.h"

namespace kelvora {

namespace {

bool isAdvanceKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_PageDown || key == Qt::Key_Down;
}

} // namespace

MainWindow::MainWindow(ShowController& controller)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_controller(controller) {
    setWindowTitle(toQString(kProgramCaption));
    setWindowIcon(programIcon());
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel comes from the composed frame: no background erase between frames, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { setTopmost(state == Qt::ApplicationActive); });
    connect(&m_controller, &ShowController::rollViewsChanged, this, &MainWindow::followRollViews);
    connect(&m_controller, &ShowController::recordsChanged, this, [this](RecordKinds which) {
        if (which & RecordKind::Windowed)
            ApplyDisplayMode(*this, m_controller.records().windowed);
    });

    bindOwnCommands();
    rebuildAccelerators();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------------------------- commands

void MainWindow::bindOwnCommands() {
    bindCommand(cmd::Backup, [this] { BackupDialog(m_controller.records().paths.settingsFolder, this).exec(); });
    bindCommand(cmd::RemoteInfo, [this] { InfoDialog(InfoTopic::Remote, this).exec(); });
    bindCommand(cmd::TouchInfo, [this] { InfoDialog(InfoTopic::Touch, this).exec(); });
    bindCommand(cmd::DoubleKeysInfo, [this] { InfoDialog(InfoTopic::DoubleKeys, this).exec(); });
    bindCommand(cmd::StartDraw, [this] { m_controller.run().startDraw(); });
    bindCommand(cmd::AdvanceDraw, [this] { m_controller.run().advanceDraw(); });
    bindCommand(cmd::AddPrizeHint,
                [this] { m_controller.showMessage(kAddPrizeHintText, MessageIcon::Information); });
    bindCommand(cmd::EndDraw, [this] { m_controller.endDraw(); });
    bindCommand(cmd::History, [this] { showHistoryFolder(); });
    bindCommand(cmd::Help, [this] { showHelp(); });
    bindCommand(cmd::About, [this] { AboutDialog(this).exec(); });
    bindCommand(cmd::Windowed, [this] { windowed(); });
    bindCommand(cmd::FullScreen, [this] { fullScreen(); });
    bindCommand(cmd::ExtendedScreen, [this] { ShowOnExtendedScreen(*this, m_controller.services().messages); });
    bindCommand(cmd::Minimize, [this] { showMinimized(); });
    bindCommand(cmd::Exit, [this] { close(); });
    bindCommand(cmd::ClearLists, [this] {
        AppRecords& records = m_controller.records();
        ClearAllBlackWhiteLists(records.paths, records.prizes, m_controller.services().messages, this);
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
    followRollViews(m_controller.replayViewActive(), m_controller.fullListViewActive());
}

void MainWindow::followRollViews(bool replayActive, bool fullListActive) {
    const bool rolling = replayActive || fullListActive;
    for (QAction* action : m_normalOnlyAccelerators)
        action->setEnabled(!rolling);
}

void MainWindow::advanceInput() {
    if (m_controller.fullListViewActive()) {
        runCommand(cmd::FullListPause);
    } else if (m_controller.run().drawStarted()) {
        if (m_controller.replayViewActive())
            runCommand(cmd::ReplayPause);
        else
            m_controller.run().advanceDraw();
    } else {
        m_controller.run().startDraw();
    }
    regainFocus();
}

std::unique_ptr<QMenu> MainWindow::createContextMenu() {
    const ContextMenu which = m_controller.fullListViewActive() ? ContextMenu::FullList
                              : m_controller.replayViewActive() ? ContextMenu::Replay
                                                          : ContextMenu::Main;
    auto menu = std::make_unique<QMenu>(this);
    populateMenu(
        *menu, contextMenuItems(which), [this](int id) { return commandAvailable(id); },
        [this](int id) { runCommand(id); });
    QMenu* raw = menu.get();
    connect(raw, &QMenu::aboutToShow, this,
            [this, raw] { updateMenuState(*raw, m_controller.run().drawStarted()); });
    return menu;
}

void MainWindow::fullScreen() {
    WindowedSettings settings = m_controller.records().windowed;
    settings.fullScreen = 1;
    m_controller.applyWindowedSettings(settings);
}

void MainWindow::windowed() {
    WindowedDialog dialog(this);
    dialog.fromRecord(m_controller.records().windowed);
    if (dialog.exec() == QDialog::Accepted)
        m_controller.applyWindowedSettings(dialog.toRecord());
}

void MainWindow::showHistoryFolder() {
    const std::filesystem::path& folder = m_controller.records().paths.historyFolder;
    removeStrayFile(folder);
    if (const int error = ensureFolderTree(folder, true); error != 0) {
        std::u16string text = formatText(u"文件夹创建失败:\n%s\n\n%s", {pathText(folder), errorText(error)});
        if (error == EACCES)
            text += kAdminHint;
        m_controller.showMessage(text, MessageIcon::Error);
        return;
    }
    // Without a file manager nothing would happen at all; the path at least tells where the files are.
    if (!openWithShell(QUrl::fromLocalFile(QString::fromStdString(folder.string()))))
        m_controller.showMessage(u"无法打开文件夹:\n" + pathText(folder), MessageIcon::Warning);
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
    const QImage& frame = m_controller.screen().composeFrame();
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
    DrawScreen& screen = m_controller.screen();
    if (screen.width() != width() || screen.height() != height())
        screen.resize(width(), height(), logicalDpiY());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Tab:
        runCommand(cmd::BackgroundMusic1);
        break;
    case Qt::Key_Escape:
        if (m_controller.replayViewActive())
            runCommand(cmd::ReplayCancel);
        else if (m_controller.fullListViewActive())
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
        m_controller.repaintScreen();
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
    if (!m_controller.confirmExit()) {
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

} // namespace kelvora
