// Writing the winners workbook at the lists' limit: 30000 winners in 50 prizes, each name the import's
// columns joined with spaces (name, department, staff number), so that every row carries its three columns
// and the sheet of all prizes repeats every winner.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text.h"
#include "sheets/winners_workbook.h"

namespace kelvora {
namespace {

WinnerList thirtyThousandWinners() {
    static constexpr std::array<const char16_t*, 12> kSurnames{u"王", u"李", u"张", u"刘",   u"陈",   u"杨",
                                                               u"黄", u"赵", u"吴", u"欧阳", u"司马", u"周"};
    static constexpr std::array<const char16_t*, 10> kGiven{u"伟", u"芳", u"娜", u"秀英", u"敏",
                                                            u"静", u"丽", u"强", u"磊",   u"军"};
    static constexpr std::array<const char16_t*, 6> kDepartments{u"销售部",   u"市场部",     u"财务部",
                                                                 u"研发中心", u"人力资源部", u"行政部"};
    WinnerList winners(50);
    for (std::size_t g = 0; g < winners.size(); ++g) {
        setField(winners[g].prizeName,
                 (g < 3 ? u"特等奖" : u"幸运奖") + decimalText(static_cast<long long>(g)));
        winners[g].entrants.reserve(600);
    }
    for (int i = 0; i < 30000; ++i) {
        std::u16string name =
            std::u16string(kSurnames[i % kSurnames.size()]) + kGiven[(i / 12) % kGiven.size()];
        name.resize(std::max<std::size_t>(name.size(), 4), u' '); // the import pads a column to its widest
        name += u" " + std::u16string(kDepartments[(i / 7) % kDepartments.size()]) + u" ";
        std::u16string number = decimalText(100000 + i);
        number[0] = u'A';
        winners[static_cast<std::size_t>(i) % winners.size()].entrants.push_back(makeEntrant(name + number));
    }
    return winners;
}

void BM_WriteWinnersWorkbook30000(benchmark::State& state) {
    const WinnerList winners = thirtyThousandWinners();
    std::string folder = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path file = std::filesystem::path(folder) / "中奖名单.xlsx";
    for (auto _ : state) {
        const XlsxWriteResult result = writeWinnersWorkbook(file, winners, {}, false);
        if (!result.failure) {
            state.SkipWithError("the write failed");
            break;
        }
    }
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file, ec));
    state.SetItemsProcessed(state.iterations() * 30000);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteWinnersWorkbook30000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kelvora
