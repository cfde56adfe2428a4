// The two exports at their largest in text mode, where the writing itself is the work: a pool of 30000, and
// 30000 winners spread over 512 prizes (513 files).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/text.h"
#include "records/file_system.h"
#include "winners/winner_export.h"

namespace {

using namespace kelvora;

EntrantList numbered(int count, const std::string& prefix) {
    EntrantList list;
    list.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        list.push_back(makeEntrant(fromUtf8(prefix + std::to_string(i))));
    return list;
}

std::filesystem::path scratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

void exportPool(benchmark::State& state) {
    const EntrantList pool = numbered(30000, "员工");
    const std::filesystem::path root = scratchFolder();
    const ExportCancelFlag cancel;
    int round = 0;
    for (auto _ : state) {
        const std::filesystem::path folder = root / std::to_string(round++);
        static_cast<void>(createExportFolder(folder));
        ExportResult result = exportNotYetWon(pool, folder, {}, cancel, [](int, int) {});
        benchmark::DoNotOptimize(result.done);
    }
    deleteFolderTree(root);
}
BENCHMARK(exportPool)->Unit(benchmark::kMillisecond);

void exportWinnerGroups(benchmark::State& state) {
    WinnerList winners(512);
    const EntrantList names = numbered(30000, "中奖人");
    for (std::size_t i = 0; i < names.size(); ++i) {
        WinnerGroup& group = winners[i % winners.size()];
        setField(group.prizeName, fromUtf8("奖项" + std::to_string(i % winners.size())));
        group.entrants.push_back(names[i]);
    }
    const std::filesystem::path root = scratchFolder();
    const ExportCancelFlag cancel;
    int round = 0;
    for (auto _ : state) {
        const std::filesystem::path folder = root / std::to_string(round++);
        static_cast<void>(createExportFolder(folder));
        ExportResult result = exportWinners(winners, folder, {}, cancel, [](int, int) {});
        benchmark::DoNotOptimize(result.done);
    }
    deleteFolderTree(root);
}
BENCHMARK(exportWinnerGroups)->Unit(benchmark::kMillisecond);

} // namespace
