#pragma once
// The draw engine: one object from start-up to exit that holds the draw's state and runs the one-key state
// machine (start, scroll, stop, next prize, replay) and the winner selection under the one-win rule and the
// black and white lists. The state changes only through the calls below, so every rule about it (what a
// stop saves, what an aborted press leaves behind) is kept in this one class.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "draw/deck_order.h"
#include "draw/draw_host.h"
#include "draw/draw_progress.h"
#include "draw/forfeit.h"
#include "draw/pool_arrangement.h"
#include "platform/random.h"
#include "records/prizes.h"

namespace kelvora {

// The application-owned records the engine reads. The engine never writes through these.
struct DrawSources {
    const PrizeList* prizes = nullptr;
    const EntrantList* textList = nullptr;
    const EntrantList* pictureList = nullptr;
    const std::int32_t* drawMode = nullptr;      // 0 text/number mode, any other value picture/photo mode
    const std::int32_t* scrollSpeed = nullptr;   // frames per second, 1..60
    const std::int32_t* scrollMusicOn = nullptr; // scroll music switched on
    const std::int32_t* winMusicOn = nullptr;    // winning music switched on
};

inline constexpr std::u16string_view kNoPrizesText = u"奖项不可为空";
inline constexpr std::u16string_view kNoEntrantsText = u"抽奖名单不可为空";
inline constexpr std::u16string_view kPoolEmptyText = u"奖池已空：\n一人只能中奖一次，所有人都已中过奖";
inline constexpr std::u16string_view kStopFailedPrefix = u"抽取失败:\n";
inline constexpr std::u16string_view kForfeitWhileScrollingText = u"停止滚动后才可弃奖";
inline constexpr std::u16string_view kForfeitFailedPrefix = u"弃奖失败:\n";

enum class ForfeitOutcome {
    Done,       // saved and in effect; the screen was repainted
    NotStarted, // no draw: nothing to forfeit
    Scrolling,  // names scroll; the forfeit waits for the stop
    NotFound,   // the place no longer holds that winner of that prize
    SaveFailed, // the progress file could not be written; nothing changed
};

struct ForfeitResult {
    ForfeitOutcome outcome = ForfeitOutcome::Done;
    // The progress writer's text for SaveFailed, empty otherwise.
    std::u16string saveError;
};

class DrawRun {
public:
    DrawRun(DrawHost& host, Random15& random, const DrawSources& sources);

    // --- the state, read-only (saved: progress; the rest lives only while the program runs) ---
    bool drawStarted() const { return m_drawStarted; }
    const DrawProgress& progress() const { return m_progress; }
    // The pool as it was when the press began; frames are dealt from it. Empty outside a press.
    const EntrantList& scrollDeck() const { return m_scrollDeck; }
    // Changes whenever the deck is filled or emptied, so that what is derived from it is made again only
    // then.
    std::uint64_t deckGeneration() const { return m_deckGeneration; }
    // The prize the replay shows; empty = all prizes.
    std::u16string_view replayPrize() const { return m_replayPrize; }
    // The scroll timer runs at 1000 ms because a dialog is open.
    bool slowScroll() const { return m_slowScroll; }

    // --- the one-key state machine ---
    void startDraw();
    void advanceDraw();
    void scrollTimerTick();

    // --- the steps of a press, public for benchmarks and tests ---
    // Arranges the pool for the current prize by its black and white lists.
    void arrangePool();
    // Sizes the press and copies the pool into the deck; the number of slots, 0 when nothing can be drawn.
    int beginPress();
    void dealFrame();
    // Takes the winners, saves, and rolls the press back when the save failed.
    void stopPress();

    // --- what happens to the draw from outside the keys ---
    // Start-up found a saved draw: it goes on in the saved state with the saved pool order.
    void resume(DrawProgress saved);
    // The draw is being ended while names scroll: the press is dropped without a winner, and the screen shows
    // no names.
    void abortPress();
    // No draw any more: nothing started, progress and deck empty.
    void end();
    // The prize the next replay shows (empty for all prizes).
    void setReplayPrize(std::u16string_view prizeName);
    // A winner gives the prize up (see forfeitedProgress). The changed progress is saved through the host
    // before it takes effect; when the save fails the draw stays exactly as it was. Refused while names
    // scroll.
    ForfeitResult forfeit(const ForfeitRequest& request);

    // The current prize, or nullptr when none is current.
    const PrizeItem* currentPrize() const;
    bool isLastPrize() const;
    // The hint for the next press that ends the info bar (", 按空格…"), empty when no draw is started.
    std::u16string_view promptText() const;
    // trunc(1000 / scrollSpeed) milliseconds.
    int scrollPeriodMs() const;
    // Whether the draw uses the picture list.
    bool pictureMode() const;
    // The name list of the current draw mode.
    const EntrantList& currentNameList() const;

    const DrawSources& sources() const { return m_sources; }
    const PrizeList& prizes() const;

private:
    void enterPrize(int prizeIndex);
    bool listsActive() const;
    void resetProgress();
    void releaseDeck();

    DrawHost& m_host;
    Random15& m_random;
    DrawSources m_sources;

    bool m_drawStarted = false;
    DrawProgress m_progress;
    EntrantList m_scrollDeck;
    std::u16string m_replayPrize;
    bool m_slowScroll = false;
    // The deck's order as positions into m_scrollDeck: dealing moves positions, not 264-byte records.
    DeckOrder m_deckOrder;
    std::uint64_t m_deckGeneration = 0;
};

} // namespace kelvora
