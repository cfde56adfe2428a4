#pragma once
// The draw screen: one frameless window that shows the frames the show composes and turns keys, clicks and
// the context menu into commands of the registry. It keeps its own placement and its place on top of other
// windows.

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

#include "app/command_registry.h"
#include "app/show_controller.h"

class QAction;
class QMenu;
class QUrl;

namespace kelvora {

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ShowController& controller, CommandRegistry& commands);
    ~MainWindow() override;

    ShowController& controller() { return m_controller; }
    CommandRegistry& commands() { return m_commands; }

    // Runs a registered command and takes the keyboard back afterwards.
    void runCommand(CommandId id);
    // Turns the registered commands' keys into shortcuts of this window; after registering.
    void rebuildAccelerators();
    // Another window of the program that drives the draw as this one does (the presenter console): every key
    // of the key tables and the advance and Esc inputs typed into it act exactly as typed here.
    void attachInputWindow(QWidget* other);
    // The advance input (Space, PgDn, Down, a double click, the console's button) or Esc: the command of the
    // menu on screen that takes it in the draw's state.
    void takeInput(ScreenInput input);
    // F12: onto the first extended screen; false (after "无扩展屏") without one.
    bool showOnExtendedScreen();

    // The menu that a right click shows now: the main one, or the menu of the roll view on screen.
    ContextMenu shownMenu() const;
    // That menu, greyed for the draw's state when it is about to show.
    std::unique_ptr<QMenu> createContextMenu();

    // Topmost while the program is active and after a left click, so that the draw screen covers everything
    // during the show but another program can still be used beside it.
    void setTopmost(bool on);
    bool isTopmost() const;
    // A second instance was started: come to the front, restored if minimised.
    void bringToFront();
    // Opens a file or folder with the desktop's program for it, after giving up the front so that the program
    // opened can come in front of the draw screen. False when nothing could open it.
    bool openWithShell(const QUrl& url);

Q_SIGNALS:
    // The exit was confirmed (or needed no question); the application shuts down.
    void exitConfirmed();
    // F12 has put the draw screen onto the extended screen.
    void extendedScreenShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The advance and Esc inputs of a key event; true when it was one of them.
    bool screenKey(QKeyEvent* event);
    void syncScreenSize();
    void regainFocus();
    void followRollViews(bool replayActive, bool fullListActive);

    ShowController& m_controller;
    CommandRegistry& m_commands;
    std::vector<QAction*> m_accelerators;
    std::vector<QAction*> m_normalOnlyAccelerators; // off while a roll view is shown
    std::vector<QPointer<QWidget>> m_inputWindows;
};

} // namespace kelvora
