#pragma once
// The draw screen: one frameless window that shows the frames the show composes and turns keys, clicks, menus
// and accelerators into commands. It keeps its own placement and its place on top of other windows.

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_records.h"
#include "app/command_table.h"
#include "app/show_controller.h"

class QAction;
class QUrl;
class QMenu;

namespace kelvora {

inline constexpr std::u16string_view kAddPrizeHintText = u"可到“奖项设置”里添加奖项";

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(ShowController& controller);
    ~MainWindow() override;

    ShowController& controller() { return m_controller; }

    // --- commands ---
    // Binds the action of a command; a bound command appears in the menus and answers its keys. Later
    // features bind theirs the same way.
    void bindCommand(int id, std::function<void()> action);
    bool commandAvailable(int id) const;
    void runCommand(int id);
    // Rebuilds the accelerators after commands were bound.
    void rebuildAccelerators();

    // Space, PgDn or Down released, or a double click.
    void advanceInput();

    // The context menu for what is on screen (106, or 197/199 while a roll view is shown), greyed for the
    // draw's state when it is about to show.
    std::unique_ptr<QMenu> createContextMenu();

    // Topmost while the program is active and after a left click, so that the draw screen covers everything
    // during the show but another program can still be used beside it.
    void setTopmost(bool on);
    bool isTopmost() const;
    // A second instance was started: come to the front, restored if minimised.
    void bringToFront();

    bool openWithShell(const QUrl& url);

Q_SIGNALS:
    // The exit was confirmed (or needed no question); the application shuts down.
    void exitConfirmed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void bindOwnCommands();
    void fullScreen();
    void windowed();
    void showHistoryFolder();
    void showHelp();
    void syncScreenSize();
    void regainFocus();
    void followRollViews(bool replayActive, bool fullListActive);

    ShowController& m_controller;
    std::map<int, std::function<void()>> m_commands;
    std::vector<QAction*> m_accelerators;
    std::vector<QAction*> m_normalOnlyAccelerators; // off while a roll view is shown
};

} // namespace kelvora
