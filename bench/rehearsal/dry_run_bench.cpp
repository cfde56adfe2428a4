// Dry runs of an event shaped like the sample one (300 names; 10, 3, 1 and 1 winners; the top prize's winner
// white-listed and black-listed on every prize before it), with Caps Lock on: the pre-show check runs 1000 of
// them by default and should take a few seconds at most.

#include <benchmark/benchmark.h>

#include <string>

#include "rehearsal/dry_run.h"

namespace kelvora {
namespace {

PrizeItem prize(std::u16string_view name, int quota, int perDraw) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = quota;
    p.perDraw = perDraw;
    return p;
}

void BM_DryRuns(benchmark::State& state) {
    EntrantList names;
    for (int i = 0; i < 300; ++i) {
        std::u16string name(u"员工");
        for (const char c : std::to_string(i))
            name.push_back(static_cast<char16_t>(c));
        names.push_back(makeEntrant(name));
    }
    PrizeList prizes = {prize(u"三等奖", 10, 5), prize(u"二等奖", 3, 3), prize(u"一等奖", 1, 1),
                        prize(u"特等奖", 1, 1)};
    Entrant chosen = names[0];
    chosen.winOrder = 1;
    for (int i = 0; i < 3; ++i)
        prizes[static_cast<std::size_t>(i)].blackList = {names[0]};
    prizes[3].whiteList = {chosen};
    DryRunOptions options;
    options.runs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const DryRunResult result = dryRun(prizes, names, options);
        if (result.doubleWins != 0 || result.prizes[3].white[0].wins != options.runs)
            state.SkipWithError("the dry run broke the selection rules");
    }
}
BENCHMARK(BM_DryRuns)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvora
