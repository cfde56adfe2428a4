// The one-key state machine (start, scroll, stop, next prize, replay) and the press: its deck, its frames
// and its stop.

#include "draw/draw_run.h"

#include <algorithm>

#include "records/draw_mode.h"

namespace kelvora {

namespace {
const EntrantList kNoEntrants;
const PrizeList kNoPrizes;
} // namespace

DrawRun::DrawRun(DrawHost& host, Random15& random, const DrawSources& sources)
    : m_host(host), m_random(random), m_sources(sources) {}

const PrizeList& DrawRun::prizes() const {
    return m_sources.prizes ? *m_sources.prizes : kNoPrizes;
}

const PrizeItem* DrawRun::currentPrize() const {
    const PrizeList& list = prizes();
    if (m_progress.prizeIndex < 0 || static_cast<std::size_t>(m_progress.prizeIndex) >= list.size())
        return nullptr;
    return &list[static_cast<std::size_t>(m_progress.prizeIndex)];
}

bool DrawRun::isLastPrize() const {
    return static_cast<std::size_t>(m_progress.prizeIndex) + 1 >= prizes().size();
}

const EntrantList& DrawRun::currentNameList() const {
    const EntrantList* list = pictureMode() ? m_sources.pictureList : m_sources.textList;
    return list ? *list : kNoEntrants;
}

bool DrawRun::pictureMode() const {
    return m_sources.drawMode && !isTextMode(*m_sources.drawMode);
}

int DrawRun::scrollPeriodMs() const {
    const int speed = m_sources.scrollSpeed ? std::clamp(*m_sources.scrollSpeed, 1, 60) : 1;
    return 1000 / speed;
}

// ------------------------------------------------------------------------------- from outside the keys

void DrawRun::resume(DrawProgress saved) {
    releaseDeck();
    m_progress = std::move(saved);
    m_drawStarted = true;
}

void DrawRun::abortPress() {
    if (m_progress.state != DrawState::Scrolling)
        return;
    m_host.stopScrollTimer();
    m_progress.state = DrawState::Stopped;
    m_progress.shownCount = 0;
    m_progress.clearSlots();
    releaseDeck();
    m_host.repaintScreen();
}

void DrawRun::end() {
    m_drawStarted = false;
    resetProgress();
}

void DrawRun::setReplayPrize(std::u16string_view prizeName) {
    m_replayPrize = prizeName;
}

ForfeitResult DrawRun::forfeit(const ForfeitRequest& request) {
    if (!m_drawStarted)
        return {ForfeitOutcome::NotStarted, {}};
    if (m_progress.state == DrawState::Scrolling)
        return {ForfeitOutcome::Scrolling, {}};
    const PrizeItem* prize = currentPrize();
    std::optional<DrawProgress> snapshot =
        forfeitedProgress(m_progress, request, prize ? prize->nameText() : std::u16string_view{});
    if (!snapshot)
        return {ForfeitOutcome::NotFound, {}};
    ForfeitResult result;
    if (!m_host.saveProgress(*snapshot, result.saveError)) {
        result.outcome = ForfeitOutcome::SaveFailed;
        return result;
    }
    m_progress = std::move(*snapshot);
    m_host.repaintScreen();
    return result;
}

void DrawRun::resetProgress() {
    m_progress = DrawProgress{};
    releaseDeck();
}

void DrawRun::releaseDeck() {
    m_scrollDeck.clear();
    m_deckOrder.clear();
    ++m_deckGeneration;
}

// ------------------------------------------------------------------------------------- state machine

void DrawRun::startDraw() {
    if (m_drawStarted)
        return;
    if (prizes().empty()) {
        m_host.showMessage(kNoPrizesText, MessageIcon::Warning);
        return;
    }
    const EntrantList& names = currentNameList();
    if (names.empty()) {
        m_host.showMessage(kNoEntrantsText, MessageIcon::Warning);
        return;
    }
    m_host.prepareScrollMusic();
    resetProgress();
    m_progress.pool.assign(names.begin(),
                           names.begin() + std::min<std::ptrdiff_t>(names.size(), kMaxEntrants));
    m_drawStarted = true;
    enterPrize(0);
}

// Makes the prize current with nothing of it on screen, loads what the screen shows for it and arranges the
// pool by its lists.
void DrawRun::enterPrize(int prizeIndex) {
    m_progress.prizeIndex = prizeIndex;
    m_progress.state = DrawState::Ready;
    m_progress.drawnCount = 0;
    m_progress.shownCount = 0;
    m_progress.clearSlots();
    m_host.loadPrizePicture(prizeIndex);
    m_host.rebuildBackground();
    m_host.dropScrollFont();
    m_host.repaintScreen();
    arrangePool();
}

void DrawRun::advanceDraw() {
    if (!m_drawStarted)
        return;
    const PrizeItem* prize = currentPrize();
    if (!prize)
        return; // the prize list shrank under a resumed draw; nothing sensible to advance to
    if (m_progress.state == DrawState::Scrolling) {
        stopPress();
        return;
    }
    m_random.reseedFromClock();
    if (m_progress.drawnCount < prize->quota) {
        if (m_progress.pool.empty()) {
            m_host.showMessage(kPoolEmptyText, MessageIcon::Warning);
            return;
        }
        if (beginPress() <= 0)
            return;
        m_progress.state = DrawState::Scrolling;
        if (m_sources.scrollMusicOn && *m_sources.scrollMusicOn)
            m_host.startScrollMusic();
        m_host.startScrollTimer(scrollPeriodMs());
        scrollTimerTick();
    } else if (!isLastPrize()) {
        enterPrize(m_progress.prizeIndex + 1);
    } else {
        m_replayPrize.clear();
        m_host.startReplay();
    }
}

void DrawRun::scrollTimerTick() {
    if (!m_drawStarted || m_progress.state != DrawState::Scrolling)
        return;
    if (!m_host.isDialogActive()) {
        if (m_slowScroll) {
            m_host.startScrollTimer(scrollPeriodMs());
            m_slowScroll = false;
        }
    } else if (!m_slowScroll) {
        m_host.startScrollTimer(1000);
        m_slowScroll = true;
    }
    dealFrame();
}

std::u16string_view DrawRun::promptText() const {
    const PrizeItem* prize = currentPrize();
    if (!m_drawStarted || !prize)
        return {};
    switch (m_progress.state) {
    case DrawState::Ready:
        return u", 按空格开始抽取";
    case DrawState::Scrolling:
        return u", 按空格停止滚动";
    case DrawState::Stopped:
        break;
    }
    if (m_progress.drawnCount < prize->quota)
        return u", 按空格继续抽取";
    if (!isLastPrize())
        return u", 按空格下一奖项";
    return u", 按空格抽完回放";
}

// ------------------------------------------------------------------------------------------- the press

void DrawRun::arrangePool() {
    if (const PrizeItem* prize = currentPrize())
        m_progress.pool = arrangedPool(std::move(m_progress.pool), *prize, m_random);
}

int DrawRun::beginPress() {
    const PrizeItem* prize = currentPrize();
    if (!prize)
        return 0;
    m_random.reseedFromClock();
    if (m_progress.pool.empty()) {
        m_host.showMessage(kPoolEmptyText, MessageIcon::Warning);
        return 0;
    }
    const int remaining = prize->quota - m_progress.drawnCount;
    const int pool = static_cast<int>(m_progress.pool.size());
    m_progress.shownCount = std::clamp(std::min({prize->perDraw, remaining, pool}), 0, kMaxShown);
    m_progress.clearSlots();
    m_scrollDeck = m_progress.pool;
    ++m_deckGeneration;
    // The deck is at most kMaxEntrants long, so a position fits in 16 bits.
    m_deckOrder.reset(std::min(m_scrollDeck.size(), static_cast<std::size_t>(kMaxEntrants)));
    return m_progress.shownCount;
}

void DrawRun::dealFrame() {
    if (!m_drawStarted || m_progress.state != DrawState::Scrolling)
        return;
    const std::size_t d = m_deckOrder.size();
    const std::size_t shown = std::min(static_cast<std::size_t>(m_progress.shownCount), d);
    // A dealt position moves to the end of the deck, out of reach for the rest of this frame.
    for (std::size_t i = 0; i < shown; ++i) {
        const std::size_t j = static_cast<std::size_t>(m_random.next()) % (d - i);
        m_progress.shownEntrants[i] = m_scrollDeck[m_deckOrder.dealAt(j)];
    }
    m_host.repaintScreen();
}

bool DrawRun::listsActive() const {
    const PrizeItem* prize = currentPrize();
    return prize && m_host.capsLockOn() && (!prize->whiteList.empty() || !prize->blackList.empty());
}

void DrawRun::stopPress() {
    if (m_progress.state != DrawState::Scrolling)
        return;
    const PrizeItem* prize = currentPrize();
    releaseDeck();
    const DrawProgress snapshot = m_progress;

    m_progress.drawnCount += m_progress.shownCount;
    m_progress.state = DrawState::Stopped;
    const std::u16string_view prizeName = prize ? prize->nameText() : std::u16string_view{};
    const std::size_t shown = static_cast<std::size_t>(m_progress.shownCount);
    if (!listsActive()) {
        for (std::size_t i = 0; i < shown; ++i) {
            addWinner(m_progress.winners, prizeName, m_progress.shownEntrants[i]);
            removeFromPool(m_progress.pool, m_progress.shownEntrants[i]);
        }
    } else {
        const std::size_t take = std::min(shown, m_progress.pool.size());
        for (std::size_t i = 0; i < take; ++i) {
            m_progress.shownEntrants[i] = m_progress.pool[i];
            addWinner(m_progress.winners, prizeName, m_progress.shownEntrants[i]);
        }
        m_progress.pool.erase(m_progress.pool.begin(),
                              m_progress.pool.begin() + static_cast<std::ptrdiff_t>(take));
        m_host.repaintScreen();
    }

    m_host.repaintScreen();
    m_host.stopScrollTimer();
    m_host.rewindScrollMusic();
    if (m_sources.winMusicOn && *m_sources.winMusicOn)
        m_host.startWinMusic();

    std::u16string error;
    const bool saved = m_host.saveProgress(m_progress, error);
    if (!saved) {
        m_progress = snapshot;
        m_progress.state = DrawState::Stopped;
        m_progress.shownCount = 0;
        m_progress.clearSlots();
    }
    m_host.repaintScreen();
    if (!saved)
        m_host.showMessage(std::u16string(kStopFailedPrefix) + error, MessageIcon::Error);
}

} // namespace kelvora
