#include "app/presenter_console.h"

#include <QApplication>
#include <QScreen>
#include <QTime>

#include <algorithm>

#include "app/command_registry.h"
#include "app/file_message.h"
#include "app/main_window.h"
#include "audio/music_slots.h"
#include "screen/frame_miniature.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

constexpr int kStatusIntervalMs = 100;
constexpr int kLiveIntervalMs = 250;

std::vector<QRect> screenRects(int& primary) {
    std::vector<QRect> rects;
    primary = 0;
    const QList<QScreen*> screens = QApplication::screens();
    for (QScreen* screen : screens) {
        if (screen == QApplication::primaryScreen())
            primary = static_cast<int>(rects.size());
        rects.push_back(screen->geometry());
    }
    return rects;
}

QString timeText(std::int64_t ms) {
    return toQString(durationText(ms));
}

ConsoleMusicRow musicRow(const MusicSlots& players, MusicSlot slot, const QString& name,
                         std::u16string_view file, bool switchedOn) {
    ConsoleMusicRow row;
    row.slot = name;
    row.file = toQString(file);
    const MusicPlayer* player = players.player(slot);
    if (!switchedOn)
        row.state = QStringLiteral("已关闭");
    else if (!player || !player->isReady())
        row.state = QStringLiteral("未播放");
    else {
        row.playing = player->isPlaying();
        row.state = QStringLiteral("%1 %2 / %3")
                        .arg(row.playing ? QStringLiteral("播放中") : QStringLiteral("暂停"),
                             timeText(player->positionMs()), timeText(player->stopPositionMs()));
    }
    return row;
}

} // namespace

PresenterConsole::PresenterConsole(MainWindow& mainWindow, ConsoleSettings& settings)
    : m_main(mainWindow), m_controller(mainWindow.controller()), m_commands(mainWindow.commands()),
      m_settings(settings) {
    m_uptime.start();
    m_statusTimer.setSingleShot(true);
    connect(&m_statusTimer, &QTimer::timeout, this, &PresenterConsole::refreshStatus);
    m_liveTimer.setInterval(kLiveIntervalMs);
    connect(&m_liveTimer, &QTimer::timeout, this, &PresenterConsole::refreshLive);

    // The clock since the first press runs whether the console shows or not.
    connect(&m_controller, &ShowController::frameShown, this, &PresenterConsole::followFrame);
    auto soon = [this] {
        if (isOpen())
            m_statusTimer.start(0);
    };
    connect(&m_controller, &ShowController::recordsChanged, this, soon);
    connect(&m_controller, &ShowController::rollViewsChanged, this, soon);
    connect(&m_controller, &ShowController::recordsChanged, this, [this](RecordKinds which) {
        if (which & RecordKind::Windowed)
            stepAside();
    });
    connect(&m_main, &MainWindow::extendedScreenShown, this, [this] {
        if (m_settings.autoOpen != 0 && !isOpen())
            open();
        else
            stepAside();
    });
}

PresenterConsole::~PresenterConsole() {
    if (m_window)
        delete m_window.data();
}

bool PresenterConsole::isOpen() const {
    return m_window && m_window->isVisible();
}

void PresenterConsole::open() {
    if (isOpen()) {
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    if (!m_window) {
        m_window = new ConsoleWindow;
        m_window->setWindowIcon(m_main.windowIcon());
        m_main.attachInputWindow(m_window);
        m_window->setKeySheet(keySheet());
        std::array<QString, 3> musicKeys;
        const CommandId music[] = {CommandId::BackgroundMusic1, CommandId::BackgroundMusic2,
                                   CommandId::BackgroundMusic3};
        for (std::size_t i = 0; i < musicKeys.size(); ++i)
            if (const Command* command = m_commands.find(music[i]); command && !command->keys.empty())
                musicKeys[i] = keyLabel(command->keys.front());
        m_window->setMusicKeys(musicKeys);
        m_window->applySettings(m_settings);
        connect(m_window, &ConsoleWindow::advanceClicked, this,
                [this] { m_main.takeInput(ScreenInput::Advance); });
        connect(m_window, &ConsoleWindow::musicHotKeyClicked, this, [this](int track) {
            m_main.runCommand(track == 1   ? CommandId::BackgroundMusic1
                              : track == 2 ? CommandId::BackgroundMusic2
                                           : CommandId::BackgroundMusic3);
        });
        connect(m_window, &ConsoleWindow::rehearsalClicked, this, [this] {
            m_main.runCommand(CommandId::Rehearsal);
            // Answered No, the switch goes back to what is so.
            m_shownStatus.reset();
            refreshStatus();
        });
        connect(m_window, &ConsoleWindow::settingsEdited, this, [this] {
            m_settings = m_window->readSettings(m_settings);
            saveSettings();
        });
        connect(m_window, &ConsoleWindow::closing, this, [this] {
            // Where it stood is remembered; the window is kept for the next opening, the miniature's thread
            // is not.
            if (QScreen* screen = m_window->screen())
                rememberGeometry(m_settings, m_window->geometry(), screen->geometry());
            saveSettings();
            m_liveTimer.stop();
            m_statusTimer.stop();
            m_shownStatus.reset();
            m_shownLive.reset();
            m_miniature.reset();
            // The keys go back to the draw screen rather than nowhere.
            if (m_main.isVisible() && !m_main.isMinimized())
                m_main.activateWindow();
        });
    }
    // The miniature's thread lives only while the console shows.
    m_miniature =
        std::make_unique<FrameMiniature>([this]() -> const QImage& { return m_controller.screen().frame(); });
    connect(m_miniature.get(), &FrameMiniature::miniatureReady, m_window, &ConsoleWindow::showMiniature);
    connect(m_window, &ConsoleWindow::miniatureBoxChanged, m_miniature.get(), [this](QSize box) {
        m_miniature->setTargetSize(box);
        m_miniature->frameShown();
    });
    place();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_miniature->setTargetSize(m_window->miniatureBox());
    m_miniature->frameShown();
    refreshStatus();
    refreshLive();
    m_liveTimer.start();
}

void PresenterConsole::openOrClose() {
    if (isOpen() && QApplication::activeWindow() == m_window)
        close();
    else
        open();
}

void PresenterConsole::close() {
    if (m_window)
        m_window->close();
}

void PresenterConsole::place() {
    int primary = 0;
    const std::vector<QRect> screens = screenRects(primary);
    m_window->setGeometry(consoleGeometry(m_settings, screens, primary, m_main.geometry()));
}

void PresenterConsole::stepAside() {
    if (!isOpen())
        return;
    int primary = 0;
    const std::vector<QRect> screens = screenRects(primary);
    const int wanted = consoleScreen(screens, primary, m_main.geometry());
    if (wanted < 0 || screens[static_cast<std::size_t>(wanted)].contains(m_window->geometry().center()))
        return;
    if (QScreen* screen = m_window->screen())
        rememberGeometry(m_settings, m_window->geometry(), screen->geometry());
    place();
}

void PresenterConsole::saveSettings() {
    showFileResult(m_controller.services().messages, m_window.data(),
                   saveConsoleSettings(m_controller.records().paths, m_settings));
}

void PresenterConsole::followFrame() {
    m_clock.observe(
        showPhase(m_controller.run(), m_controller.replayViewActive(), m_controller.fullListViewActive()),
        m_uptime.elapsed());
    if (!isOpen())
        return;
    if (m_miniature)
        m_miniature->frameShown();
    if (!m_statusTimer.isActive()) {
        const qint64 since = m_sinceStatus.isValid() ? m_sinceStatus.elapsed() : kStatusIntervalMs;
        m_statusTimer.start(static_cast<int>(std::max<qint64>(0, kStatusIntervalMs - since)));
    }
}

ConsoleStatus PresenterConsole::status() const {
    return consoleStatus(m_controller.run(), m_controller.replayViewActive(),
                         m_controller.fullListViewActive());
}

void PresenterConsole::refreshStatus() {
    if (!isOpen())
        return;
    m_sinceStatus.start();
    ConsoleStatus now = status();
    if (m_shownStatus && *m_shownStatus == now)
        return;
    m_window->showStatus(now);
    m_shownStatus = std::move(now);
}

ConsoleLive PresenterConsole::live() const {
    ConsoleLive live;
    live.capsLock = m_controller.services().capsLock.capsLockOn();
    live.clock = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    if (const auto elapsed = m_clock.elapsedMs(m_uptime.elapsed()))
        live.elapsed = timeText(*elapsed);
    const MusicSettings& music = m_controller.records().music;
    const MusicSlots& players = m_controller.music();
    live.music = {musicRow(players, MusicSlot::Scroll, QStringLiteral("滚动音乐"),
                           fieldText(music.scrollMusicFile), music.scrollMusicOn != 0),
                  musicRow(players, MusicSlot::Win, QStringLiteral("中奖音乐"), fieldText(music.winMusicFile),
                           music.winMusicOn != 0),
                  musicRow(players, MusicSlot::Background1, QStringLiteral("背景音乐1"),
                           fieldText(music.backgroundFile1), true),
                  musicRow(players, MusicSlot::Background2, QStringLiteral("背景音乐2"),
                           fieldText(music.backgroundFile2), true),
                  musicRow(players, MusicSlot::Background3, QStringLiteral("背景音乐3"),
                           fieldText(music.backgroundFile3), true)};
    if (m_mirrorText) {
        const MirrorLine mirror = m_mirrorText();
        live.mirror = toQString(mirror.text);
        live.mirrorFailing = mirror.failing;
    }
    return live;
}

void PresenterConsole::refreshLive() {
    if (!isOpen())
        return;
    ConsoleLive now = live();
    if (m_shownLive && *m_shownLive == now)
        return;
    m_window->showLive(now);
    m_shownLive = std::move(now);
}

std::vector<ConsoleKey> PresenterConsole::keySheet() const {
    // The menus' own texts, so the sheet shows the keys that were declared and nothing else.
    std::vector<ConsoleKey> sheet;
    for (const auto& [id, command] : m_commands.commands()) {
        const QStringList labels = keyLabels(command);
        if (command.text.isEmpty() || labels.isEmpty())
            continue;
        // A menu doubles "&" to show one.
        QString what = command.text;
        what.replace(QStringLiteral("&&"), QStringLiteral("&"));
        ConsoleKey key{labels.join(QStringLiteral(" / ")), what};
        const bool seen = std::any_of(sheet.begin(), sheet.end(), [&](const ConsoleKey& k) {
            return k.keys == key.keys && k.what == key.what;
        });
        if (!seen)
            sheet.push_back(key);
    }
    return sheet;
}

void registerConsoleCommands(CommandRegistry& registry, PresenterConsole& console) {
    registry.add(CommandId::PresenterConsole)
        .text(u"导播台...")
        .functionKey(Qt::Key_F8)
        // The console changes nothing on the draw screen, so it opens during the final replay as well.
        .alsoWhileRolling()
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&console] { console.openOrClose(); });
}

} // namespace kelvora
