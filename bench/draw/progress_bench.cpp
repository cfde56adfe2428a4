// Saving and resuming a draw of 30000 entrants, fsync included.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <optional>

#include "draw/progress_file.h"

namespace kelvora {
namespace {

DrawProgress bigDraw() {
    DrawProgress p;
    p.state = DrawState::Stopped;
    p.drawnCount = 50;
    p.shownCount = 50;
    for (int i = 0; i < 30000; ++i) {
        std::u16string name = u"参与者";
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        const Entrant e = makeEntrant(name);
        if (i < 25000)
            p.pool.push_back(e);
        else
            addWinner(p.winners, i < 27500 ? u"一等奖" : u"二等奖", e);
    }
    return p;
}

std::filesystem::path benchFolder() {
    const auto dir = std::filesystem::temp_directory_path() / "kelvora-progress-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

void BM_saveProgress(benchmark::State& state) {
    const DataPaths paths(benchFolder());
    const DrawProgress p = bigDraw();
    for (auto _ : state) {
        if (!saveProgress(paths, p))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_saveProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_loadProgress(benchmark::State& state) {
    const DataPaths paths(benchFolder());
    if (!saveProgress(paths, bigDraw()))
        state.SkipWithError("save failed");
    PrizeList prizes(1);
    prizes[0].quota = 30000;
    prizes[0].perDraw = 50;
    for (auto _ : state) {
        // Through the real reader, disk included.
        std::optional<DrawProgress> resumed;
        if (!loadProgress(paths, prizes, resumed) || !resumed)
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_loadProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kelvora
