// Refilling the text list editor with a full list of 30000 names: the model reset after a sort, a shuffle
// or an import, and the view laying out and painting its first screen of rows. Run offscreen unless a
// platform is chosen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <string>

#include "platform/clock.h"
#include "platform/random.h"
#include "settings/ui/entrant_list_model.h"
#include "settings/ui/text_list_dialog.h"

namespace {

using namespace kelvora;

QApplication& app() {
    static int argc = 1;
    static char name[] = "text_list_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class NoMessages final : public MessageBox {
public:
    MessageAnswer show(OwnerWindow, std::u16string_view, MessageIcon, MessageButtons) override {
        return MessageAnswer::No;
    }
};

class NoFiles final : public FilePicker {
public:
    std::optional<std::filesystem::path> openFile(OwnerWindow, std::u16string_view, std::u16string_view,
                                                  const std::filesystem::path&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> saveFile(OwnerWindow, std::u16string_view, std::u16string_view,
                                                  std::u16string_view) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseFolder(OwnerWindow, std::u16string_view) override {
        return std::nullopt;
    }
};

class FixedClock final : public Clock {
public:
    std::int64_t nowSeconds() override { return 1'800'000'000; }
    LocalTime localTime() override { return {}; }
};

TextNameList fullList() {
    TextNameList list;
    for (int i = 0; i < kMaxEntrants; ++i)
        list.entries.push_back(makeEntrant(u"员工" + fromUtf8(std::to_string(100000 + i)) + u" 市场部"));
    return list;
}

// A refill alone, or "升序" and "降序" in turn (each sort with its refill).
void runEditor(benchmark::State& state, bool sortEachTime) {
    app();
    TextNameList list = fullList();
    bool changed = false;
    FixedClock clock;
    Random15 random(clock);
    NoMessages messages;
    NoFiles files;
    const DataPaths paths("/nonexistent");
    TextListDialog dialog(list, changed, TextListEnvironment{paths, false, random, messages, files, {}},
                          TextListMode::Edit, nullptr);
    dialog.show();
    QApplication::processEvents();
    bool ascending = false;
    for (auto _ : state) {
        if (sortEachTime)
            dialog.sortList((ascending = !ascending) ? SortOrder::Ascending : SortOrder::Descending);
        else
            dialog.refill();
        dialog.view().viewport()->repaint();
        benchmark::DoNotOptimize(dialog.model().rowCount());
    }
    state.counters["rows"] = dialog.model().rowCount();
    dialog.done(0);
}
void BM_RefillFullTextList(benchmark::State& state) {
    runEditor(state, false);
}
void BM_SortFullTextList(benchmark::State& state) {
    runEditor(state, true);
}
BENCHMARK(BM_SortFullTextList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RefillFullTextList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
