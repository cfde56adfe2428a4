#pragma once
// The draw engine: one object from start-up to exit that holds the draw's state and runs the one-key state
// machine (start, scroll, stop, next prize, replay) and the winner selection under the one-win rule and the
// black and white lists.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "draw/draw_host.h"
#include "draw/draw_progress.h"
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

// Shuffles in place after reseeding from the clock: forward Fisher-Yates driven by the 15-bit generator.
void shuffleEntrants(std::span<Entrant> entries, Random15& random);

class DrawRun {
public:
    DrawRun(DrawHost& host, Random15& random, const DrawSources& sources);

    // --- state (saved: progress; the rest lives only while the program runs) ---
    bool drawStarted = false;
    DrawProgress progress;
    EntrantList scrollDeck;     // the pool as it was when the press began; frames are dealt from it
    std::u16string replayPrize; // prize the replay shows; empty = all prizes
    bool slowScroll = false;    // the scroll timer runs at 1000 ms because a dialog is open

    // --- state machine ---
    void startDraw();
    void advanceDraw();
    void scrollTimerTick();

    // --- selection ---
    void arrangePool();
    int beginPress();
    void dealFrame();
    void stopPress();

    void resetProgress();

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

    DrawHost& m_host;
    Random15& m_random;
    DrawSources m_sources;
    // The deck's order as positions into scrollDeck: dealing moves 2-byte positions instead of 264-byte
    // records.
    std::vector<std::uint16_t> m_deckOrder;
};

} // namespace kelvora
