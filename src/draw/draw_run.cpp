// The one-key state machine: start, scroll, stop, next prize, replay.

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
    if (progress.prizeIndex < 0 || static_cast<std::size_t>(progress.prizeIndex) >= list.size())
        return nullptr;
    return &list[static_cast<std::size_t>(progress.prizeIndex)];
}

bool DrawRun::isLastPrize() const {
    return static_cast<std::size_t>(progress.prizeIndex) + 1 >= prizes().size();
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

void DrawRun::resetProgress() {
    progress = DrawProgress{};
    scrollDeck.clear();
    m_deckOrder.clear();
}

void DrawRun::startDraw() {
    if (drawStarted)
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
    progress.pool.assign(names.begin(), names.begin() + std::min<std::ptrdiff_t>(names.size(), kMaxEntrants));
    drawStarted = true;
    enterPrize(0);
}

// Makes the prize current with nothing of it on screen, loads what the screen shows for it and arranges the
// pool by its lists.
void DrawRun::enterPrize(int prizeIndex) {
    progress.prizeIndex = prizeIndex;
    progress.state = DrawState::Ready;
    progress.drawnCount = 0;
    progress.shownCount = 0;
    progress.clearSlots();
    m_host.loadPrizePicture(prizeIndex);
    m_host.rebuildBackground();
    m_host.dropScrollFont();
    m_host.repaintScreen();
    arrangePool();
}

void DrawRun::advanceDraw() {
    if (!drawStarted)
        return;
    const PrizeItem* prize = currentPrize();
    if (!prize)
        return; // the prize list shrank under a resumed draw; nothing sensible to advance to
    if (progress.state == DrawState::Scrolling) {
        stopPress();
        return;
    }
    m_random.reseedFromClock();
    if (progress.drawnCount < prize->quota) {
        if (progress.pool.empty()) {
            m_host.showMessage(kPoolEmptyText, MessageIcon::Warning);
            return;
        }
        if (beginPress() <= 0)
            return;
        progress.state = DrawState::Scrolling;
        if (m_sources.scrollMusicOn && *m_sources.scrollMusicOn)
            m_host.startScrollMusic();
        m_host.startScrollTimer(scrollPeriodMs());
        scrollTimerTick();
    } else if (!isLastPrize()) {
        enterPrize(progress.prizeIndex + 1);
    } else {
        replayPrize.clear();
        m_host.startReplay();
    }
}

void DrawRun::scrollTimerTick() {
    if (!drawStarted || progress.state != DrawState::Scrolling)
        return;
    if (!m_host.isDialogActive()) {
        if (slowScroll) {
            m_host.startScrollTimer(scrollPeriodMs());
            slowScroll = false;
        }
    } else if (!slowScroll) {
        m_host.startScrollTimer(1000);
        slowScroll = true;
    }
    dealFrame();
}

std::u16string_view DrawRun::promptText() const {
    const PrizeItem* prize = currentPrize();
    if (!drawStarted || !prize)
        return {};
    switch (progress.state) {
    case DrawState::Ready:
        return u", 按空格开始抽取";
    case DrawState::Scrolling:
        return u", 按空格停止滚动";
    case DrawState::Stopped:
        break;
    }
    if (progress.drawnCount < prize->quota)
        return u", 按空格继续抽取";
    if (!isLastPrize())
        return u", 按空格下一奖项";
    return u", 按空格抽完回放";
}

} // namespace kelvora
