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

#include <algorithm>

#include "app/context_menu.h"
#include "app/display_mode.h"
#include "app/illustrations.h"
#include "ui/qt_text.h"

namespace kelvora {

MainWindow::MainWindow(ShowController& controller, CommandRegistry& commands)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_controller(controller), m_commands(commands) {
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
            applyDisplayMode(*this, m_controller.records().windowed);
    });
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------------------------- commands

void MainWindow::runCommand(CommandId id) {
    // The keyboard goes back to the window the command came from: a dialog hands it to its owner, the draw
    // screen, but an operator at the console keeps typing there.
    const QPointer<QWidget> from = QApplication::activeWindow();
    if (!m_commands.trigger(id))
        return;
    if (from && from != this && from->isVisible() && !from->isMinimized() &&
        QApplication::activeModalWidget() == nullptr) {
        if (QApplication::activeWindow() != from)
            from->activateWindow();
    } else {
        regainFocus();
    }
}

void MainWindow::regainFocus() {
    // A closed dialog hands the keyboard back to its owner only where a window manager does it; without one
    // the keys of the draw would go nowhere after the first message box.
    if (isVisible() && !isMinimized() && QApplication::activeWindow() == nullptr)
        activateWindow();
}

void MainWindow::attachInputWindow(QWidget* other) {
    if (!other)
        return;
    std::erase_if(m_inputWindows, [](const QPointer<QWidget>& w) { return w.isNull(); });
    m_inputWindows.emplace_back(other);
    // One set of actions for both windows: a shortcut of the window context fires in any window it was
    // added to, and greying the roll table's keys greys them everywhere.
    for (QAction* action : m_accelerators)
        other->addAction(action);
    other->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        std::any_of(m_inputWindows.begin(), m_inputWindows.end(),
                    [watched](const QPointer<QWidget>& w) { return w == watched; }))
        return screenKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::showOnExtendedScreen() {
    if (!kelvora::showOnExtendedScreen(*this, m_controller.services().messages))
        return false;
    Q_EMIT extendedScreenShown();
    return true;
}

void MainWindow::rebuildAccelerators() {
    for (QAction* action : m_accelerators) {
        removeAction(action);
        delete action;
    }
    m_accelerators.clear();
    m_normalOnlyAccelerators.clear();
    const std::vector<KeyBinding> rollTable = m_commands.bindings(KeyTable::Roll);
    for (const KeyBinding& binding : m_commands.bindings(KeyTable::Normal)) {
        auto* action = new QAction(this);
        action->setShortcut(binding.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // Auto-repeat of a held F-key would open the same dialog again as soon as it closes.
        action->setAutoRepeat(false);
        const CommandId id = binding.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        addAction(action);
        for (const QPointer<QWidget>& other : m_inputWindows)
            if (other)
                other->addAction(action);
        m_accelerators.push_back(action);
        const bool inRollTable = std::any_of(rollTable.begin(), rollTable.end(), [&](const KeyBinding& r) {
            return r.keys == binding.keys && r.id == binding.id;
        });
        if (!inRollTable)
            m_normalOnlyAccelerators.push_back(action);
    }
    followRollViews(m_controller.replayViewActive(), m_controller.fullListViewActive());
}

void MainWindow::followRollViews(bool replayActive, bool fullListActive) {
    const bool rolling = replayActive || fullListActive;
    for (QAction* action : m_normalOnlyAccelerators)
        action->setEnabled(!rolling);
}

ContextMenu MainWindow::shownMenu() const {
    if (m_controller.fullListViewActive())
        return ContextMenu::FullList;
    return m_controller.replayViewActive() ? ContextMenu::Replay : ContextMenu::Main;
}

void MainWindow::takeInput(ScreenInput input) {
    // The advance input starts the draw before one is started and steps it during one, or plays and pauses
    // the roll on screen; Esc cancels the roll. Which command that is follows from their declarations.
    if (const auto id = m_commands.commandFor(input, shownMenu(), m_controller.run().drawStarted()))
        runCommand(*id);
}

std::unique_ptr<QMenu> MainWindow::createContextMenu() {
    std::unique_ptr<QMenu> menu =
        buildContextMenu(m_commands, shownMenu(), this, [this](CommandId id) { runCommand(id); });
    QMenu* raw = menu.get();
    connect(raw, &QMenu::aboutToShow, this,
            [this, raw] { updateMenuState(*raw, m_commands, m_controller.run().drawStarted()); });
    return menu;
}

bool MainWindow::openWithShell(const QUrl& url) {
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
        m_controller.resizeScreen(width(), height(), logicalDpiY());
}

bool MainWindow::screenKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress)
            takeInput(ScreenInput::Escape);
        event->accept();
        return true;
    }
    const auto keys = advanceKeys();
    if (std::find(keys.begin(), keys.end(), event->key()) == keys.end())
        return false;
    // Acting on the release makes a held key one step: auto-repeat sends releases too, marked as such.
    event->accept();
    if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat())
        takeInput(ScreenInput::Advance);
    return true;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!screenKey(event))
        QWidget::keyPressEvent(event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!screenKey(event))
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
        takeInput(ScreenInput::Advance);
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
