// The draw's hot paths at the largest sizes: a frame of 50 slots from a deck of 30000, the per-prize pool
// arrangement with large black and white lists, and the deck copy at the start of a press.

#include <benchmark/benchmark.h>

#include <string>

#include "draw/draw_run.h"
#include "draw/quiet_draw_host.h"

namespace kelvora {
namespace {

using NullHost = QuietDrawHost;

class FixedClock final : public Clock {
public:
    std::int64_t nowSeconds() override { return 1'800'000'000; }
    LocalTime localTime() override { return {}; }
};

EntrantList bigList(int count) {
    EntrantList list;
    list.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::u16string name = u"参与者";
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        list.push_back(makeEntrant(name));
    }
    return list;
}

struct Setup {
    FixedClock clock;
    Random15 random{clock};
    NullHost host;
    PrizeList prizes;
    EntrantList names = bigList(30000);
    EntrantList pictures;
    std::int32_t mode = 0, speed = 60, on = 0;
    DrawRun run{host, random, DrawSources{&prizes, &names, &pictures, &mode, &speed, &on, &on}};

    explicit Setup(int listSize, int perDraw = 50) {
        PrizeItem p;
        setField(p.name, u"一等奖");
        p.quota = 30000;
        p.perDraw = perDraw;
        for (int i = 0; i < listSize; ++i) {
            Entrant w = names[static_cast<std::size_t>(i * 7)];
            w.winOrder = (i % 2 == 0) ? i / 2 + 1 : 0; // half with fixed orders, half random
            p.whiteList.push_back(w);
            p.blackList.push_back(names[static_cast<std::size_t>(i * 7 + 3)]);
        }
        prizes.push_back(p);
    }
};

void BM_dealFrame(benchmark::State& state) {
    Setup s(0);
    s.run.startDraw();
    s.run.advanceDraw(); // scrolling with 50 slots over a deck of 30000
    for (auto _ : state) {
        s.run.dealFrame();
        benchmark::DoNotOptimize(s.run.progress().shownEntrants.data());
    }
}
BENCHMARK(BM_dealFrame)->Unit(benchmark::kMicrosecond);

void BM_arrangePool(benchmark::State& state) {
    Setup s(static_cast<int>(state.range(0)));
    s.run.startDraw();
    const DrawProgress original = s.run.progress();
    for (auto _ : state) {
        state.PauseTiming();
        s.run.resume(original);
        state.ResumeTiming();
        s.run.arrangePool();
        benchmark::DoNotOptimize(s.run.progress().pool.data());
    }
}
BENCHMARK(BM_arrangePool)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_beginPress(benchmark::State& state) {
    Setup s(0);
    s.run.startDraw();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.run.beginPress());
        benchmark::DoNotOptimize(s.run.scrollDeck().data());
    }
}
BENCHMARK(BM_beginPress)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvora
