#include "rehearsal/dry_run.h"

#include <algorithm>

#include "draw/draw_run.h"
#include "draw/quiet_draw_host.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace kelvora {

namespace {

// Each reseeding of the engine takes the next second: runs differ from each other, and the same seed gives
// the same runs.
class CountingClock final : public Clock {
public:
    explicit CountingClock(std::int64_t start) : m_next(start) {}
    std::int64_t nowSeconds() override { return m_next++; }
    LocalTime localTime() override { return {}; }

private:
    std::int64_t m_next;
};

class DryRunHost final : public QuietDrawHost {
public:
    bool capsLock = true;
    bool poolEmpty = false;
    bool capsLockOn() override { return capsLock; }
    MessageAnswer showMessage(std::u16string_view text, MessageIcon, MessageButtons) override {
        // The only message a press can meet here: nobody is left to win.
        if (text == kPoolEmptyText)
            poolEmpty = true;
        return MessageAnswer::Ok;
    }
};

bool drawnToTheEnd(const DrawRun& run) {
    const PrizeItem* prize = run.currentPrize();
    return prize && run.isLastPrize() && run.progress().state != DrawState::Scrolling &&
           run.progress().drawnCount >= prize->quota;
}

int countIn(const std::vector<Entrant>& winners, const Entrant& entrant) {
    return static_cast<int>(std::count_if(winners.begin(), winners.end(),
                                          [&](const Entrant& w) { return sameEntrant(w, entrant); }));
}

} // namespace

DryRunResult dryRun(const PrizeList& prizes, const EntrantList& names, const DryRunOptions& options,
                    const std::atomic<bool>* cancel, const std::function<void(int)>& progress) {
    DryRunResult result;
    for (const PrizeItem& prize : prizes) {
        PrizeOdds odds{std::u16string(prize.nameText()), prize.quota, {}, {}};
        for (const Entrant& w : prize.whiteList)
            odds.white.push_back({std::u16string(w.text()), 0});
        for (const Entrant& b : prize.blackList)
            odds.black.push_back({std::u16string(b.text()), 0});
        result.prizes.push_back(std::move(odds));
    }
    if (prizes.empty() || names.empty())
        return result;

    CountingClock clock(options.seed);
    Random15 random(clock);
    DryRunHost host;
    host.capsLock = options.capsLock;
    const EntrantList none;
    const std::int32_t textMode = 0, speed = 60, musicOff = 0;
    DrawRun run(host, random, DrawSources{&prizes, &names, &none, &textMode, &speed, &musicOff, &musicOff});

    for (int i = 0; i < options.runs; ++i) {
        if (cancel && cancel->load())
            break;
        host.poolEmpty = false;
        run.end();
        run.startDraw();
        // Space until the last prize has its winners: each press starts the names and the next one stops
        // them.
        while (!drawnToTheEnd(run) && !host.poolEmpty)
            run.advanceDraw();
        if (!drawnToTheEnd(run))
            ++result.unfinished;

        std::vector<Entrant> everyone;
        for (const WinnerGroup& group : run.progress().winners) {
            for (const Entrant& winner : group.entrants) {
                if (countIn(everyone, winner) > 0)
                    ++result.doubleWins;
                everyone.push_back(winner);
            }
            const int p = findPrize(prizes, group.name());
            if (p < 0)
                continue;
            PrizeOdds& odds = result.prizes[static_cast<std::size_t>(p)];
            const PrizeItem& prize = prizes[static_cast<std::size_t>(p)];
            for (std::size_t k = 0; k < prize.whiteList.size(); ++k)
                odds.white[k].wins += countIn(group.entrants, prize.whiteList[k]) > 0 ? 1 : 0;
            for (std::size_t k = 0; k < prize.blackList.size(); ++k)
                odds.black[k].wins += countIn(group.entrants, prize.blackList[k]) > 0 ? 1 : 0;
        }
        ++result.runs;
        if (progress)
            progress(result.runs);
    }
    run.end();
    result.cancelled = result.runs < options.runs;
    return result;
}

std::vector<std::u16string> dryRunOddsLines(const DryRunResult& result, bool capsLock) {
    std::vector<std::u16string> lines;
    const std::u16string runs = decimalText(result.runs);
    for (const PrizeOdds& odds : result.prizes) {
        if (odds.white.empty() && odds.black.empty())
            continue;
        std::u16string line = formatText(u"%s（大写锁定%s）:", {odds.prize, capsLock ? u"开" : u"关"});
        auto add = [&](std::u16string_view list, const std::vector<ListedWins>& entrants) {
            for (const ListedWins& w : entrants)
                line += formatText(u" %s “%s” %s/%s", {list, w.name, decimalText(w.wins), runs});
        };
        add(u"白名单", odds.white);
        add(u"黑名单", odds.black);
        lines.push_back(std::move(line));
    }
    return lines;
}

void dryRunFindings(const DryRunResult& result, const DryRunOptions& options, Findings& findings) {
    const std::u16string runs = decimalText(result.runs);
    if (result.doubleWins > 0)
        findings.push_back({Severity::Error, u"试抽",
                            formatText(u"%s 次试抽中有人中奖两次", {decimalText(result.doubleWins)}),
                            u"请把参数设置文件夹交给技术人员"});
    // The pool runs out alike with Caps Lock on or off; the lists decide only with it on.
    if (!options.capsLock || result.runs == 0)
        return;
    if (result.unfinished > 0)
        findings.push_back(
            {Severity::Error, u"试抽",
             formatText(u"%s 次中有 %s 次奖池在最后一个奖项之前抽空", {runs, decimalText(result.unfinished)}),
             u"减少名额或添加名单", FixPlace::Prizes});
    for (const PrizeOdds& odds : result.prizes) {
        // With Caps Lock on a white list that fits the quota wins every time; one that does not fit is told
        // by the list check already.
        if (static_cast<int>(odds.white.size()) <= odds.quota)
            for (const ListedWins& w : odds.white)
                if (w.wins > 0 && w.wins < result.runs)
                    findings.push_back({Severity::Warning, odds.prize,
                                        formatText(u"白名单中的 “%s” 在 %s 次试抽中只中了 %s 次",
                                                   {w.name, runs, decimalText(w.wins)}),
                                        u"此人可能先在前面的奖项中被随机抽中；把此人加入前面奖项的黑名单",
                                        FixPlace::Prizes});
        for (const ListedWins& b : odds.black)
            if (b.wins > 0)
                findings.push_back({Severity::Warning, odds.prize,
                                    formatText(u"黑名单中的 “%s” 在 %s 次试抽中中了 %s 次",
                                               {b.name, runs, decimalText(b.wins)}),
                                    u"名额大于黑名单以外的人数；减少名额或缩短黑名单", FixPlace::Prizes});
    }
}

} // namespace kelvora
