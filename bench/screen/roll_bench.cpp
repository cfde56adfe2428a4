// Frames of the rolls at 1920 x 1080 with a list of 30000 entries laid out, each frame one 10 ms step of the
// roll (the roll's clock is stepped by the bench, so the frames are those of a real show, one after the
// other). Measured per frame: median_ms, p99_ms and max_ms.
//   BM_RollFrame/photo:0  the full list in text mode, realistic names, three a row (target: median <= 2 ms)
//   BM_RollFrame/photo:1  the same in picture mode: five photos a row with captions below, elliptic crops;
//                         the 30000 entries are hard links to 300 JPEG portraits of 320 x 400, so that every
//                         entry is a file of its own name and is decoded when its row comes in (median <= 2
//                         ms; the frames on which a row of photos comes in decode five photos and show in
//                         max_ms)
//   BM_RollLayout         laying out the 30000 entries when the roll starts (fonts included)
// Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_app.h"
#include "draw/draw_run.h"
#include "draw/quiet_draw_host.h"
#include "platform/clock.h"
#include "realistic_names.h"
#include "records/data_paths.h"
#include "screen/draw_screen.h"
#include "screen/full_list_view.h"

namespace kelvora {
namespace {

constexpr int kEntries = 30000;
constexpr int kDistinctPhotos = 300;

std::u16string photoName(int i) {
    std::u16string name = u"员工";
    for (const char c : std::to_string(10000 + i))
        name += char16_t(c);
    return name + u".jpg";
}

const DataPaths& photoFolder() {
    static const DataPaths made = [] {
        DataPaths paths(std::filesystem::temp_directory_path() /
                        ("kelvora-roll-bench-" + std::to_string(::getpid())));
        std::filesystem::create_directories(paths.pictureFolder);
        for (int i = 0; i < kDistinctPhotos; ++i) {
            QImage image(320, 400, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    row[x] = qRgb((x * 7 + i) % 256, (y * 3 + i * 5) % 256, (x + y + i * 11) % 256);
            }
            const std::filesystem::path file = paths.pictureFolder / std::filesystem::path(photoName(i));
            QImageWriter writer(QString::fromStdString(file.string()), "jpeg");
            writer.setQuality(90);
            if (!writer.write(image))
                std::abort();
        }
        for (int i = kDistinctPhotos; i < kEntries; ++i)
            std::filesystem::create_hard_link(paths.pictureFolder /
                                                  std::filesystem::path(photoName(i % kDistinctPhotos)),
                                              paths.pictureFolder / std::filesystem::path(photoName(i)));
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(made.root, error);
        });
        return paths;
    }();
    return made;
}

class RollScreen {
public:
    explicit RollScreen(bool photos) : m_drawMode(photos ? 1 : 0) {
        bench::ensureGuiApplication("roll_bench");
        if (photos) {
            for (int i = 0; i < kEntries; ++i)
                m_pictures.push_back(makeEntrant(photoName(i)));
            m_style.namesPerRow = 5;
        } else {
            m_texts = bench::realisticNames(kEntries);
            m_style.namesPerRow = 3;
        }
        m_settings.photoCaption = std::int32_t(PhotoCaptionMode::OutsidePicture);
        m_settings.photoCrop = std::int32_t(PhotoCropMode::Ellipse);
        m_settings.showWinnerNumbers = 1;
        m_run = std::make_unique<DrawRun>(
            m_host, m_random,
            DrawSources{&m_prizes, &m_texts, &m_pictures, &m_drawMode, &m_speed, &m_musicOff, &m_musicOff});
        ScreenInputs inputs;
        inputs.run = m_run.get();
        inputs.interface = &m_settings;
        inputs.prizes = &m_prizes;
        inputs.textList = &m_texts;
        inputs.pictureList = &m_pictures;
        inputs.drawMode = &m_drawMode;
        inputs.spaceAligned = &m_spaceAligned;
        inputs.paths = photos ? &photoFolder() : nullptr;
        m_screen = std::make_unique<DrawScreen>(inputs);
        m_screen->resize(1920, 1080, 96);
        m_screen->inputs().fullListViewActive = true;
        m_place.band = m_screen->computeBand(Band::ScrollArea).band;
        m_place.windowWidth = 1920;
        m_place.aspectRatio = 0.8;
        m_screen->fullListView().setClock([this] { return m_now; });
    }

    bool start() { return m_screen->fullListView().start(m_screen->inputs(), m_style, m_place); }
    const QImage& frame() {
        m_now += std::chrono::milliseconds(10);
        return m_screen->composeFrame();
    }
    FullListView& view() { return m_screen->fullListView(); }

private:
    bench::StillClock m_clock;
    Random15 m_random{m_clock};
    QuietDrawHost m_host;
    PrizeList m_prizes;
    EntrantList m_texts;
    EntrantList m_pictures;
    std::int32_t m_drawMode;
    std::int32_t m_speed = 30;
    std::int32_t m_musicOff = 0;
    std::int32_t m_spaceAligned = 0;
    InterfaceSettings m_settings;
    RollStyle m_style;
    RollPlace m_place;
    std::chrono::nanoseconds m_now{};
    std::unique_ptr<DrawRun> m_run;
    std::unique_ptr<DrawScreen> m_screen;
};

void BM_RollFrame(benchmark::State& state) {
    RollScreen screen(state.range(0) != 0);
    if (!screen.start())
        std::abort();
    // Into the roll: the area full of names or photos.
    for (int i = 0; i < 1500; ++i)
        screen.frame();
    std::vector<double> ms;
    std::size_t drawn = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(screen.frame().constBits());
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        drawn += screen.view().lastDrawn().size();
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["max_ms"] = ms.back();
    state.counters["items_drawn"] = double(drawn) / double(ms.size());
    state.counters["pictures_kept"] = double(screen.view().cachedPictures());
}
BENCHMARK(BM_RollFrame)->ArgName("photo")->Arg(0)->Arg(1)->Iterations(3000)->Unit(benchmark::kMillisecond);

void BM_RollLayout(benchmark::State& state) {
    RollScreen screen(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(screen.start());
    state.counters["items"] = double(screen.view().items().size());
}
BENCHMARK(BM_RollLayout)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvora
