#pragma once
// The show behind the draw screen: the draw engine's host. It owns the draw run, the composed screen, the
// scroll and music timers and the saving, applies the records that dialogs and commands hand back, and
// announces each change once. The main window only shows the frames and passes input on; dialogs only turn a
// record into widgets and back.

#include "app/app_records.h"
#include "draw/draw_host.h"
#include "draw/draw_run.h"
#include "screen/draw_screen.h"

#include <QObject>
#include <QTimer>

#include <string_view>

class QWidget;

namespace kelvora {

inline constexpr std::u16string_view kExitQuestion = u"退出软件？\n\n*重启软件可继续中断的抽奖";

// Whether closing the program must ask first: only while a draw is started and not complete (the current
// prize is the last one and has all its winners). A draw that resumes after a restart loses nothing, but the
// operator should not end the show by a slip of the hand.
bool exitNeedsQuestion(const DrawRun& run);

class ShowController : public QObject, public DrawHost {
    Q_OBJECT
public:
    ShowController(AppRecords& records, const AppServices& services);
    ~ShowController() override;

    // The draw screen's window: it owns the messages and dialogs, and frames are shown there. Set once,
    // before it is shown.
    void setWindow(QWidget* window);
    QWidget* window() const { return m_window; }

    AppRecords& records() { return m_records; }
    const AppServices& services() const { return m_services; }
    DrawRun& run() { return m_run; }
    const DrawRun& run() const { return m_run; }
    DrawScreen& screen() { return m_screen; }

    // Start-up: the background named by the interface settings and, for a resumed draw, the current prize's
    // picture, each shrunk to its limit; a picture that cannot be loaded is reported without an owner window
    // ("背景图加载失败:\n…", "奖品图加载失败:\n…") and left out.
    void loadStartupPictures();
    // The 100 ms music loop.
    void startMusicLoop();
    // Shutdown: the timers stop and the music is released.
    void stop();

    // Stand-ins until the music slots land: the slider's level for every existing player (none yet), and the
    // music settings stored, saved and announced. The music-core branch replaces both.
    void setMusicVolume(int volume);
    bool applyMusicSettings(const MusicSettings& settings);

    // "结束抽奖": asks, writes the history file and resets the draw.
    void endDraw();
    // The exit question when the draw needs it; true when the program may close.
    bool confirmExit();

    // The roll views switch the key table and the context menu. They set this when they start and stop.
    void setRollViews(bool replayActive, bool fullListActive);
    bool replayViewActive() const { return m_replayActive; }
    bool fullListViewActive() const { return m_fullListActive; }

    // A record handed back by a dialog or a command: stored, saved and announced. A failed save has shown its
    // message; the record still applies until the program ends.
    void applyWindowedSettings(const WindowedSettings& settings);
    // applyInterfaceSettings: the look replaces the live one and shows at once (new fonts, the background
    // picture loaded again, the layer rebuilt, the screen repainted), then it is saved. A picture that does
    // not load is reported ("背景图加载失败:\n…") and the look is saved all the same, with its name. True
    // when the save succeeded.
    bool applyInterfaceSettings(const InterfaceSettings& settings);
    // While the interface dialog is open the screen outlines every band and its inner rectangle.
    void setInterfaceDialogOpen(bool open);
    // The rolls' settings: stored, saved (a failed save shows its message; the values apply all the same) and
    // announced; a roll that is shown is laid out again with them, otherwise the screen is repainted.
    void applyPlaybackSettings(const PlaybackSettings& settings);
    void applyFullListSettings(const FullListSettings& settings);
    // While a roll's settings dialog is open the screen outlines that roll's area.
    void setPlaybackDialogOpen(bool open);
    void setFullListDialogOpen(bool open);

    // The name lists and the draw mode were edited in place by their editors, which saved them; this only
    // announces it.
    void namesEdited();

    // The prize editors changed the live prize list and wrote it themselves: the screen follows, and during a
    // draw the current prize's picture is loaded again, since its prize may have been given another.
    void prizesEdited();

    bool scrollTimerActive() const { return m_scrollTimer.isActive(); }
    int scrollTimerPeriod() const { return m_scrollTimer.interval(); }

    // --- DrawHost ---
    MessageAnswer showMessage(std::u16string_view text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void repaintScreen() override;
    void startScrollTimer(int periodMs) override;
    void stopScrollTimer() override;
    bool isDialogActive() override;
    // The music slots fill these.
    void prepareScrollMusic() override {}
    void startScrollMusic() override {}
    void rewindScrollMusic() override {}
    void startWinMusic() override {}
    void releaseMusic() override {}
    void loadPrizePicture(int prizeIndex) override;
    void rebuildBackground() override;
    void dropScrollFont() override;
    // The replay view fills this.
    void startReplay() override {}
    bool capsLockOn() override;
    bool saveProgress(const DrawProgress& progress, std::u16string& errorText) override;

Q_SIGNALS:
    // Records were replaced and saved; the screen, the timers, the music and the window follow from here
    // instead of being told by whoever changed them.
    void recordsChanged(kelvora::RecordKinds which);
    void rollViewsChanged(bool replayActive, bool fullListActive);

private:
    void followRecords(RecordKinds which);
    // The prize's picture into the screen; false with the warning text when a named picture failed.
    bool reloadPrizePicture(int prizeIndex, std::u16string& warning);

    AppRecords& m_records;
    AppServices m_services;
    QWidget* m_window = nullptr;
    DrawRun m_run;
    DrawScreen m_screen;
    QTimer m_scrollTimer;
    QTimer m_musicTimer;
    bool m_replayActive = false;
    bool m_fullListActive = false;
};

} // namespace kelvora
