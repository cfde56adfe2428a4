#pragma once
// The presenter console's window ("导播台"): an ordinary framed window for the operator's own screen, read
// from a step away. It shows what it is given (the show's status, the live values, the miniature of the
// frame) and reports its buttons; it knows nothing of the draw. Keys typed into it reach the draw through the
// draw screen's own key tables, which the application attaches to it.

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

#include "console/console_settings.h"
#include "console/console_status.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;

namespace kelvora {

struct ConsoleMusicRow {
    QString slot;  // "滚动音乐", "背景音乐1"
    QString file;  // the file the slot plays
    QString state; // "播放中 00:12 / 03:20", "暂停 00:12 / 03:20", "未播放", "已关闭"
    bool playing = false;
    friend bool operator==(const ConsoleMusicRow&, const ConsoleMusicRow&) = default;
};

// What changes without the draw changing: refreshed a few times a second while the console shows.
struct ConsoleLive {
    bool capsLock = false;
    QString clock;   // the time of day
    QString elapsed; // since the first press, "--:--" before it
    std::array<ConsoleMusicRow, 5> music;
    QString mirror; // the live mirror's state line; empty: not shown
    bool mirrorFailing = false;
    friend bool operator==(const ConsoleLive&, const ConsoleLive&) = default;
};

struct ConsoleKey {
    QString keys; // "F2", "Ctrl+F", "空格 / PgDn / ↓"
    QString what;
};

class ConsoleWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConsoleWindow(QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    void showStatus(const ConsoleStatus& status);
    void showLive(const ConsoleLive& live);
    void showMiniature(const QImage& miniature);
    void setKeySheet(const std::vector<ConsoleKey>& keys);
    // The background tracks' buttons say which keys they stand for.
    void setMusicKeys(const std::array<QString, 3>& keys);
    // The check boxes and the panels they show; geometry is the caller's.
    void applySettings(const ConsoleSettings& settings);
    // The check boxes read back into settings (the geometry fields are left as they are).
    ConsoleSettings readSettings(ConsoleSettings settings) const;
    // The box the miniature is drawn into.
    QSize miniatureBox() const;

Q_SIGNALS:
    void advanceClicked();
    void rehearsalClicked();
    void musicHotKeyClicked(int track);
    void settingsEdited();
    void miniatureBoxChanged(QSize box);
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void buildStatusPanel(QGridLayout* grid);
    void showLists();
    void showPanels();

    ConsoleStatus m_status;
    ConsoleLive m_live;
    QImage m_miniatureImage;

    QLabel* m_phase = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_miniature = nullptr;
    QLabel* m_prize = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_nextPrize = nullptr;
    QLabel* m_pool = nullptr;
    QLabel* m_capsLock = nullptr;
    QLabel* m_mirror = nullptr;
    QLabel* m_lists = nullptr;
    QPushButton* m_advance = nullptr;
    QWidget* m_winnersPanel = nullptr;
    QListWidget* m_winners = nullptr;
    QWidget* m_musicPanel = nullptr;
    std::array<QLabel*, 5> m_musicRows{};
    std::array<QPushButton*, 3> m_musicButtons{};
    QWidget* m_keysPanel = nullptr;
    QLabel* m_keys = nullptr;
    QCheckBox* m_autoOpen = nullptr;
    QCheckBox* m_rehearsal = nullptr;
    std::array<std::pair<ConsolePanel, QCheckBox*>, 4> m_panelBoxes{};
};

// Where the console opens: on a screen the draw screen does not show on (the primary one when the draw
// screen is elsewhere), at the remembered place relative to that screen's corner, fitted into it. With one
// screen it shares it. screens[primary] is the primary screen's geometry.
QRect consoleGeometry(const ConsoleSettings& settings, const std::vector<QRect>& screens, int primary,
                      const QRect& drawScreen);
// The index of the screen consoleGeometry chose.
int consoleScreen(const std::vector<QRect>& screens, int primary, const QRect& drawScreen);
// The window's place remembered relative to the screen it is on.
void rememberGeometry(ConsoleSettings& settings, const QRect& window, const QRect& screen);

} // namespace kelvora
