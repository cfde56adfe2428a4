// Reading and writing the largest settings files: the full text list (30000 names, about 7.9 MB) and a prize
// file with all 256 prizes carrying white and black lists. Loads run against the page cache; saves include
// the two fsyncs, so their time is mostly the disk's.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "records/file_system.h"
#include "records/prizes.h"
#include "settings/text_name_list.h"

namespace {

using namespace kelvora;

// Every benchmarked call is expected to succeed.
void require(const FileResult& result) {
    if (!result)
        std::abort();
}

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_root = pattern;
    }
    ~BenchFolder() { deleteFolderTree(m_root); }
    DataPaths paths() const { return DataPaths(m_root); }

private:
    std::filesystem::path m_root;
};

TextNameList fullTextList() {
    TextNameList list;
    list.entries.reserve(kMaxEntrants);
    for (int i = 0; i < kMaxEntrants; ++i)
        list.entries.push_back(
            makeEntrant(u"员工" + std::u16string(u"编号") + std::u16string(1, char16_t(0x4E00 + i))));
    return list;
}

PrizeList fullPrizeList() {
    PrizeList prizes(kMaxPrizes);
    for (int i = 0; i < kMaxPrizes; ++i) {
        setField(prizes[i].name, u"奖项" + std::u16string(1, char16_t(0x4E00 + i)));
        for (int k = 0; k < 10; ++k) {
            prizes[i].whiteList.push_back(makeEntrant(std::u16string(1, char16_t(0x5000 + i * 20 + k))));
            prizes[i].blackList.push_back(makeEntrant(std::u16string(1, char16_t(0x5000 + i * 20 + 10 + k))));
        }
    }
    return prizes;
}

void BM_LoadTextList30000(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    require(saveTextNameList(paths, fullTextList()));
    TextNameList list;
    for (auto _ : state) {
        require(loadTextNameList(paths, list));
        benchmark::DoNotOptimize(list.entries.data());
    }
}
BENCHMARK(BM_LoadTextList30000)->Unit(benchmark::kMillisecond);

void BM_SaveTextList30000(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    const TextNameList list = fullTextList();
    for (auto _ : state)
        require(saveTextNameList(paths, list));
}
BENCHMARK(BM_SaveTextList30000)->Unit(benchmark::kMillisecond);

void BM_LoadPrizes256(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    require(savePrizes(paths, fullPrizeList()));
    PrizeList prizes;
    for (auto _ : state) {
        require(loadPrizes(paths, prizes));
        benchmark::DoNotOptimize(prizes.data());
    }
}
BENCHMARK(BM_LoadPrizes256)->Unit(benchmark::kMillisecond);

void BM_SavePrizes256(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    const PrizeList prizes = fullPrizeList();
    for (auto _ : state)
        require(savePrizes(paths, prizes));
}
BENCHMARK(BM_SavePrizes256)->Unit(benchmark::kMillisecond);

// The same writer without the disk: the cost of building the image alone.
void BM_BuildPrizeImage256(benchmark::State& state) {
    const PrizeList prizes = fullPrizeList();
    for (auto _ : state) {
        ByteWriter out;
        writePrizeList(out, prizes);
        benchmark::DoNotOptimize(out.bytes().data());
    }
}
BENCHMARK(BM_BuildPrizeImage256)->Unit(benchmark::kMillisecond);

} // namespace
