#pragma once
// The whole event drawn many times through the real engine, with a host that shows and saves nothing: how
// often each white-listed entrant wins their prize, how often a black-listed one does, and whether anybody
// ever won twice. Deterministic for a seed: the engine reseeds from the clock, and here the clock is a count
// that starts at the seed.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records/entrant.h"
#include "records/prizes.h"
#include "rehearsal/findings.h"

namespace kelvora {

struct DryRunOptions {
    int runs = 1000;
    std::uint32_t seed = 1;
    bool capsLock = true; // the lists decide only with Caps Lock on
};

struct ListedWins {
    std::u16string name;
    int wins = 0; // runs in which this entrant won the prize
};

struct PrizeOdds {
    std::u16string prize;
    int quota = 0;
    std::vector<ListedWins> white; // in the list's order
    std::vector<ListedWins> black;
};

struct DryRunResult {
    int runs = 0;       // runs completed (fewer when cancelled)
    int unfinished = 0; // runs that stopped before the last prize had its winners (the pool ran out)
    int doubleWins = 0; // winners who had already won in the same run; never anything but 0
    bool cancelled = false;
    std::vector<PrizeOdds> prizes;
};

// Draws the event options.runs times. cancel (may be null) is polled between runs; progress (may be empty) is
// told the runs done so far.
DryRunResult dryRun(const PrizeList& prizes, const EntrantList& names, const DryRunOptions& options,
                    const std::atomic<bool>* cancel = nullptr, const std::function<void(int)>& progress = {});

// The odds of the listed entrants, a line a prize with lists: "一等奖（大写锁定开）: 白名单 “张三”
// 1000/1000， 黑名单 “李四” 0/1000". Prizes without lists give no line.
std::vector<std::u16string> dryRunOddsLines(const DryRunResult& result, bool capsLock);

// What the runs say to the operator: a white-listed entrant who does not win every time although the list
// fits the quota, a black-listed one who wins with Caps Lock on, anybody winning twice, runs the pool could
// not finish.
void dryRunFindings(const DryRunResult& result, const DryRunOptions& options, Findings& findings);

} // namespace kelvora
