// Saving and resuming a draw of 30000 entrants, fsync included.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "draw/draw_run.h"
#include "draw/progress_file.h"
#include "draw/quiet_draw_host.h"
#include "platform/message_box.h"

namespace kelvora {
namespace {

class SilentBox final : public MessageBox {
public:
    MessageAnswer show(OwnerWindow, std::u16string_view, MessageIcon, MessageButtons) override {
        return MessageAnswer::Ok;
    }
};

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
    std::u16string error;
    for (auto _ : state) {
        if (!saveProgress(paths, p, error))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_saveProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_loadProgress(benchmark::State& state) {
    const DataPaths paths(benchFolder());
    std::u16string error;
    saveProgress(paths, bigDraw(), error);
    PrizeList prizes(1);
    prizes[0].quota = 30000;
    prizes[0].perDraw = 50;
    SilentBox box;
    for (auto _ : state) {
        // Through the real reader, disk included.
        QuietDrawHost host;
        SystemClock clock;
        Random15 random(clock);
        DrawRun target(host, random, DrawSources{&prizes});
        if (loadProgress(paths, prizes, target, box, nullptr) != ProgressLoad::Resumed)
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_loadProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kelvora
