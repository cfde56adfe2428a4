#pragma once
// The show behind the draw screen: the draw engine's host. It owns the draw run, the composed screen, the
// scroll and music timers and the saving, applies the records that dialogs and commands hand back, and
// announces each change once. The main window only shows the frames and passes input on; dialogs only turn a
// record into widgets and back.

#include "app/app_records.h"
#include "draw/draw_host.h"
#include "draw/draw_run.h"
#include "screen/draw_screen.h"
#include "screen/roll_view.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string_view>

class QWidget;

namespace kelvora {

class MusicSlots;

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

    // The hot key of background track 1..3: starts or resumes it and pauses the others; on the track that
    // plays, pauses it.
    void backgroundMusicHotKey(int track);
    // The music settings' slider: the level (25..100) applies at once to every player that exists; the
    // record itself changes only with applyMusicSettings.
    void setMusicVolume(int volume);
    // The music settings dialog closed: stored, saved (a failed save shows its message; the settings apply
    // all the same), every slot reloaded with the new files and volume, and announced. True when the save
    // succeeded.
    bool applyMusicSettings(const MusicSettings& settings);
    MusicSlots& music() { return *m_music; }

    // "结束抽奖": asks, writes the history file and resets the draw.
    void endDraw();
    // The exit question when the draw needs it; true when the program may close.
    bool confirmExit();

    // The roll views switch the key table and the context menu. They set this when they start and stop.
    void setRollViews(bool replayActive, bool fullListActive);

    // The replay of the winners of replayPrize (all prizes when empty): nothing before a draw; refused with a
    // warning while the names scroll or when nobody has won that prize. The floating prize picture hides
    // while a roll shows. True when the replay started.
    bool startReplay(bool repaintNow);
    void stopReplay(bool repaintNow);
    // The full list of the name list in use; refused while the names scroll or when the list is empty.
    bool startFullList(bool repaintNow);
    void stopFullList(bool repaintNow);
    // "全部奖项", "当前奖项" (the prize drawn most recently).
    void replayAll();
    void replayCurrent();
    // Pauses or resumes whichever roll shows.
    void toggleRollPause();
    bool rollTimerActive() const { return m_rollTimer.isActive(); }
    // The window's size into the screen; a roll shown when the size really changes starts over, laid out for
    // the new size.
    void resizeScreen(int width, int height, int logicalDpiY);
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
    void prepareScrollMusic() override;
    void startScrollMusic() override;
    void rewindScrollMusic() override;
    void startWinMusic() override;
    // The end of a draw: the scroll and winning players go; the background tracks play on.
    void releaseMusic() override;
    void loadPrizePicture(int prizeIndex) override;
    void rebuildBackground() override;
    void dropScrollFont() override;
    // Space after the last prize: the replay of every prize.
    void startReplay() override;
    bool capsLockOn() override;
    bool saveProgress(const DrawProgress& progress, std::u16string& errorText) override;

Q_SIGNALS:
    // Records were replaced and saved; the screen, the timers, the music and the window follow from here
    // instead of being told by whoever changed them.
    void recordsChanged(kelvora::RecordKinds which);
    void rollViewsChanged(bool replayActive, bool fullListActive);
    // A frame was composed and is on the draw screen (screen().frame()): after every change of the draw, at
    // each scroll tick and each step of a roll. Whoever follows it must keep the frame path short.
    void frameShown();
    // The progress file was written (a stop, a forfeit, the start of a draw).
    void progressSaved();

private:
    void followRecords(RecordKinds which);
    RollPlace rollPlace() const;
    void rollsChanged(bool repaintNow);
    // The prize's picture into the screen; false with the warning text when a named picture failed.
    bool reloadPrizePicture(int prizeIndex, std::u16string& warning);

    AppRecords& m_records;
    AppServices m_services;
    QWidget* m_window = nullptr;
    DrawRun m_run;
    DrawScreen m_screen;
    QTimer m_scrollTimer;
    QTimer m_musicTimer;
    // One 10 ms timer for whichever roll shows: only one shows at a time.
    QTimer m_rollTimer;
    std::unique_ptr<MusicSlots> m_music;
    bool m_replayActive = false;
    bool m_fullListActive = false;
};

} // namespace kelvora
