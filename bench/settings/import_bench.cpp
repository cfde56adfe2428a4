// Importing the largest paste the import accepts: 30000 lines of four tab-separated columns (name,
// department, staff number, mobile), all four left- or justify-aligned, measured in the editor's font as the
// worker does. Reading the text box's lines is included; the progress dialog is not.

#include <benchmark/benchmark.h>

#include <QFontMetrics>
#include <QGuiApplication>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_app.h"
#include "settings/list_import.h"
#include "settings/ui/import_progress_dialog.h"

namespace {

using namespace kelvora;

std::u16string digits(std::uint32_t value, int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i, value /= 10)
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    return text;
}

// Names of two or three characters from the common CJK block, departments from a short list, so that the
// columns' widths vary the way a company's list does.
std::u16string pastedList(int lines) {
    const std::u16string departments[] = {u"销售部", u"人事", u"研发中心", u"财务部", u"市场", u"行政后勤部"};
    std::uint32_t seed = 2016;
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFFu;
    };
    std::u16string text;
    for (int i = 0; i < lines; ++i) {
        const int length = 2 + static_cast<int>(next() % 2);
        for (int k = 0; k < length; ++k)
            text += static_cast<char16_t>(0x4E00 + next() % 6000);
        text += u'\t';
        text += departments[next() % 6];
        text += u"\tNo.";
        text += digits(static_cast<std::uint32_t>(i), 1 + static_cast<int>(next() % 5));
        text += u"\t1";
        text += digits(next() * 40000u + next(), 10);
        text += u"\r\n";
    }
    return text;
}

void BM_Import30000FourColumns(benchmark::State& state) {
    bench::ensureGuiApplication("import_bench");
    const std::u16string text = pastedList(kMaxEntrants);
    const QFontMetrics metrics(importMeasureFont(nullptr));
    ImportSettings settings;
    settings.aligns = {ColumnAlign::Left, ColumnAlign::Justify, ColumnAlign::Right, ColumnAlign::Left};
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        ImportLines read = readImportLines(text);
        ImportResult result = runImport(
            std::move(read.lines), settings, [&](std::u16string_view t) { return textWidth(metrics, t); },
            cancel, [](int, int) {});
        if (result.entries.size() < 29000u)
            std::abort(); // the generated list has almost no duplicates
        benchmark::DoNotOptimize(result.entries.data());
    }
}
BENCHMARK(BM_Import30000FourColumns)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
