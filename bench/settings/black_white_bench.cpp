// The black and white list editor's heaviest steps: picking a whole name list of 30000 into a list that
// already holds 30000 others, with the conflict check against the other list; and sorting 30000 by name.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/text.h"
#include "settings/black_white_rules.h"

namespace {

using namespace kelvora;

EntrantList numbered(int count, std::string prefix) {
    EntrantList list;
    list.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        list.push_back(makeEntrant(fromUtf8(prefix + std::to_string(i))));
    return list;
}

void addWholeList(benchmark::State& state) {
    PrizeList prizes(1);
    prizes[0].whiteList = numbered(15000, "老员工");
    prizes[0].blackList = numbered(15000, "新员工");
    // Half of the pick is on the list already, so both the skip and the append paths run.
    EntrantList picked = numbered(15000, "老员工");
    const EntrantList others = numbered(15000, "其他");
    picked.insert(picked.end(), others.begin(), others.end());
    for (auto _ : state) {
        BlackWhiteListDraft draft(prizes[0], prizes);
        auto result = draft.add(ListSide::White, picked);
        benchmark::DoNotOptimize(result.added);
    }
}
BENCHMARK(addWholeList)->Unit(benchmark::kMillisecond);

void sortByName(benchmark::State& state) {
    PrizeList prizes(1);
    prizes[0].whiteList = numbered(30000, "员工");
    for (auto _ : state) {
        BlackWhiteListDraft draft(prizes[0], prizes);
        draft.sort(ListSide::White, BlackWhiteListDraft::SortKey::Name);
        benchmark::DoNotOptimize(draft.white().data());
    }
}
BENCHMARK(sortByName)->Unit(benchmark::kMillisecond);

} // namespace
