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

class NullMessageBox final : public MessageBox {
public:
    MessageAnswer show(OwnerWindow, std::u16string_view, MessageIcon, MessageButtons) override {
        std::abort(); // every benchmarked call is expected to succeed
    }
};

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
    NullMessageBox messages;
    if (!saveTextNameList(paths, fullTextList(), messages, nullptr))
        std::abort();
    TextNameList list;
    for (auto _ : state) {
        loadTextNameList(paths, list, messages, nullptr);
        benchmark::DoNotOptimize(list.entries.data());
    }
}
BENCHMARK(BM_LoadTextList30000)->Unit(benchmark::kMillisecond);

void BM_SaveTextList30000(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    NullMessageBox messages;
    const TextNameList list = fullTextList();
    for (auto _ : state)
        saveTextNameList(paths, list, messages, nullptr);
}
BENCHMARK(BM_SaveTextList30000)->Unit(benchmark::kMillisecond);

void BM_LoadPrizes256(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    NullMessageBox messages;
    if (!savePrizes(paths, fullPrizeList(), messages, nullptr))
        std::abort();
    PrizeList prizes;
    for (auto _ : state) {
        loadPrizes(paths, prizes, messages, nullptr);
        benchmark::DoNotOptimize(prizes.data());
    }
}
BENCHMARK(BM_LoadPrizes256)->Unit(benchmark::kMillisecond);

void BM_SavePrizes256(benchmark::State& state) {
    BenchFolder folder;
    const DataPaths paths = folder.paths();
    NullMessageBox messages;
    const PrizeList prizes = fullPrizeList();
    for (auto _ : state)
        savePrizes(paths, prizes, messages, nullptr);
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
