// The two exports at their largest in text mode, where the writing itself is the work: a pool of 30000, and
// 30000 winners spread over 512 prizes (513 files). And 500 small photos exported with the pool, where
// waiting for the disk is the cost: the scratch folder is in TMPDIR, so point it at the kind of disk to
// measure.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
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

void exportPhotos(benchmark::State& state) {
    const std::filesystem::path root = scratchFolder();
    const std::filesystem::path pictures = root / "pictures";
    std::filesystem::create_directory(pictures);
    const std::string photo(8 * 1024, 'p');
    EntrantList pool;
    for (int i = 0; i < 500; ++i) {
        const std::string name = "照片" + std::to_string(i) + ".jpg";
        std::ofstream(pictures / name, std::ios::binary) << photo;
        pool.push_back(makeEntrant(fromUtf8(name)));
    }
    const ExportCancelFlag cancel;
    int round = 0;
    for (auto _ : state) {
        const std::filesystem::path folder = root / std::to_string(round++);
        static_cast<void>(createExportFolder(folder));
        ExportResult result = exportNotYetWon(pool, folder, {true, pictures}, cancel, [](int, int) {});
        benchmark::DoNotOptimize(result.done);
    }
    deleteFolderTree(root);
}
BENCHMARK(exportPhotos)->Unit(benchmark::kMillisecond);

} // namespace
