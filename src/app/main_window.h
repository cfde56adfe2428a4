#pragma once
// The draw screen: one frameless window that shows the composed frame and turns keys, clicks, menus and
// accelerators into commands. It is the draw engine's host: the engine asks it for messages, repaints, the
// scroll timer, pictures, the Caps Lock state and the saving of progress.

#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_records.h"
#include "app/command_table.h"
#include "draw/draw_host.h"
#include "draw/draw_run.h"
#include "screen/draw_screen.h"

class QAction;
class QMenu;

namespace kelvora {

inline constexpr std::u16string_view kExitQuestion = u"退出软件？\n\n*重启软件可继续中断的抽奖";
inline constexpr std::u16string_view kAddPrizeHintText = u"可到“奖项设置”里添加奖项";

// Whether closing the program must ask first: only while a draw is started and not complete (the current
// prize is the last one and has all its winners). A draw that resumes after a restart loses nothing, but the
// operator should not end the show by a slip of the hand.
bool exitNeedsQuestion(const DrawRun& run);

class MainWindow : public QWidget, public DrawHost {
    Q_OBJECT
public:
    MainWindow(AppRecords& records, const AppServices& services);
    ~MainWindow() override;

    DrawRun& run() { return m_run; }
    DrawScreen& screen() { return m_screen; }

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

    // The context menu for what is on screen (the draw screen's, or the replay's or full list's while that
    // roll view is shown), greyed for the draw's state when it is about to show.
    std::unique_ptr<QMenu> createContextMenu();

    // The roll views switch the accelerator table and the context menu. They set this when they start and
    // stop.
    void setRollViews(bool replayActive, bool fullListActive);
    bool replayViewActive() const { return m_replayActive; }
    bool fullListViewActive() const { return m_fullListActive; }

    // Topmost while the program is active and after a left click, so that the draw screen covers everything
    // during the show but another program can still be used beside it.
    void setTopmost(bool on);
    bool isTopmost() const;
    // A second instance was started: come to the front, restored if minimised.
    void bringToFront();

    // Start-up: the background named by the interface settings and, for a resumed draw, the current prize's
    // picture, each shrunk to its limit; a picture that cannot be loaded is reported without an owner window
    // ("背景图加载失败:\n…", "奖品图加载失败:\n…") and left out.
    void loadStartupPictures();

    // The 100 ms music loop of the main window.
    void startMusicLoop();

    // --- DrawHost ---
    MessageAnswer showMessage(std::u16string_view text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void repaintScreen() override;
    void startScrollTimer(int periodMs) override;
    void stopScrollTimer() override;
    bool isDialogActive() override;
    void prepareScrollMusic() override {}
    void startScrollMusic() override {}
    void rewindScrollMusic() override {}
    void startWinMusic() override {}
    void releaseMusic() override {}
    void loadPrizePicture(int prizeIndex) override;
    void rebuildBackground() override;
    void dropScrollFont() override;
    void startReplay() override {}
    bool capsLockOn() override;
    bool saveProgress(const DrawProgress& progress, std::u16string& errorText) override;

    bool scrollTimerActive() const { return m_scrollTimer.isActive(); }
    int scrollTimerPeriod() const { return m_scrollTimer.interval(); }

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
    bool openWithShell(const QUrl& url);
    void syncScreenSize();
    void regainFocus();
    // The prize's picture into the screen; false with the warning text when a named picture failed.
    bool reloadPrizePicture(int prizeIndex, std::u16string& warning);

    AppRecords& m_records;
    AppServices m_services;
    DrawRun m_run;
    DrawScreen m_screen;
    QTimer m_scrollTimer;
    QTimer m_musicTimer;
    std::map<int, std::function<void()>> m_commands;
    std::vector<QAction*> m_accelerators;
    std::vector<QAction*> m_normalOnlyAccelerators; // off while a roll view is shown
    bool m_replayActive = false;
    bool m_fullListActive = false;
};

} // namespace kelvora
