#pragma once
// The presenter console ("导播台", F8): the operator's own window while the draw screen is on the projector.
// It follows the show through the controller's signals and acts on it only through the draw screen's command
// registry and its inputs, so a key typed into the console does exactly what it does on the draw screen. It
// opens and closes at any time without touching the draw; while it is closed it costs the frames nothing.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "console/console_settings.h"
#include "console/console_status.h"
#include "console/ui/console_window.h"

namespace kelvora {

class CommandRegistry;
class FrameMiniature;
class MainWindow;
class ShowController;

class PresenterConsole : public QObject {
    Q_OBJECT
public:
    // settings: the live record, read at start-up; the console saves it whenever the operator changes it.
    PresenterConsole(MainWindow& mainWindow, ConsoleSettings& settings);
    ~PresenterConsole() override;

    // Shows the console on the screen the draw screen leaves free, or brings it to the front.
    void open();
    // Closes it, remembering where it stood.
    void close();
    // F8: typed into the console it closes it; anywhere else it opens it or brings it to the front.
    void openOrClose();
    bool isOpen() const;
    ConsoleWindow* window() const { return m_window; }
    // While the console is open: the thread that makes the miniature.
    FrameMiniature* miniature() const { return m_miniature.get(); }

    // The status and live values as the window shows them next (made now, for tests).
    ConsoleStatus status() const;
    ConsoleLive live() const;
    // Where the live mirror's state line comes from (none: the line is not shown).
    struct MirrorLine {
        std::u16string text;
        bool failing = false;
    };
    void setMirrorText(std::function<MirrorLine()> text) { m_mirrorText = std::move(text); }

private:
    void followFrame();
    void refreshStatus();
    void refreshLive();
    void place();
    // After the draw screen moved: the console steps off its screen if another one is free.
    void stepAside();
    void saveSettings();
    std::vector<ConsoleKey> keySheet() const;

    MainWindow& m_main;
    ShowController& m_controller;
    CommandRegistry& m_commands;
    ConsoleSettings& m_settings;
    QPointer<ConsoleWindow> m_window;
    std::unique_ptr<FrameMiniature> m_miniature;
    ShowClock m_clock;
    QElapsedTimer m_uptime;
    // The status at most ten times a second while names scroll; at once after a pause.
    QTimer m_statusTimer;
    QElapsedTimer m_sinceStatus;
    QTimer m_liveTimer;
    // What the window shows now: an unchanged status or live value is not shown again.
    std::optional<ConsoleStatus> m_shownStatus;
    std::optional<ConsoleLive> m_shownLive;
    std::function<MirrorLine()> m_mirrorText;
};

void registerConsoleCommands(CommandRegistry& registry, PresenterConsole& console);

} // namespace kelvora
