// Frames of the draw screen in picture mode: 1920 x 1080, fifty photos (five a row) or ten, elliptic crops,
// captions on the photos. The photos are portraits of 640 x 800 JPEG, as the import leaves them. Measured:
//   BM_PhotoFrameKept          a scrolling frame once every photo of the pool has its tile (target <= 8 ms)
//   BM_PhotoFrameDecodingEach  the same frame when each photo is decoded whole from its file and clipped on
//                              the frame, every frame
//   BM_PhotoFrameFirst         the winners' frame after a change of prize or look: every tile made anew,
//                              decoded at its shown size (frame_ms: the frame alone, without the drop)
//   BM_PhotoTileNotYetKept     one tile made from its file (target <= 2 ms)
//   BM_PhotoLargePool          a pool of 3000 distinct photos, fifty a frame: the scrolling frames after the
//                              warmer filled the cache, and those of the first second (thirty frames) after a
//                              drop with no warmer, the decode budget alone (median_ms, max_ms;
//                              standin_share: the slots that showed another kept photo). The 3000 photos are
//                              320 x 400 (about 60 MB of JPEG, written to the temporary folder once per run):
//                              650-pixel ones would take 150 MB for the same frames, as every tile is decoded
//                              at its cell's size.
// Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_app.h"
#include "draw/draw_run.h"
#include "draw/quiet_draw_host.h"
#include "image/picture_file.h"
#include "platform/clock.h"
#include "records/data_paths.h"
#include "screen/draw_screen.h"
#include "screen/photo_paint.h"
#include "screen/photo_scroll_view.h"
#include "screen/photo_tiles.h"
#include "screen/text_scroll_area.h"

namespace kelvora {
namespace {

constexpr int kPoolPhotos = 60;
constexpr int kLargePool = 3000;

std::u16string photoName(int i) {
    std::u16string name = u"员工";
    for (const char c : std::to_string(1000 + i))
        name += char16_t(c);
    return name + u".jpg";
}

// A picture folder of portraits with the detail of a photo (gradients and noise), written once per run.
DataPaths writePhotoFolder(const char* tag, int count, int width, int height) {
    DataPaths made(std::filesystem::temp_directory_path() /
                   ("kelvora-photo-bench-" + std::string(tag) + "-" + std::to_string(getpid())));
    std::filesystem::create_directories(made.pictureFolder);
    unsigned state = 2016;
    for (int i = 0; i < count; ++i) {
        // A face-sized light oval on a graded backdrop, with the grain of a camera; at JPEG quality 90 and
        // 640 x 800 about 100 KB, what a phone portrait shrunk to 800 pixels comes to.
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                state = state * 1103515245u + 12345u;
                const int grain = int((state >> 16) % 13);
                const int dx = (x - width / 2) * 640 / width;
                const int dy = (y - height * 33 / 80) * 800 / height;
                const bool face = dx * dx * 9 + dy * dy * 4 < 200 * 200 * 9;
                const int r = face ? 225 - dy / 8 : 40 + x * 120 / width + i % 60 * 2;
                const int g = face ? 180 - dy / 10 : 60 + y * 90 / height + i / 60 % 50;
                const int b = face ? 150 : 110 + (x + y) * 53 / (width + height);
                row[x] = qRgb(std::clamp(r + grain, 0, 255), std::clamp(g + grain, 0, 255),
                              std::clamp(b + grain, 0, 255));
            }
        }
        const std::filesystem::path file = made.pictureFolder / std::filesystem::path(photoName(i));
        QImageWriter writer(QString::fromStdString(file.string()), "jpeg");
        writer.setQuality(90);
        if (!writer.write(image))
            std::abort();
    }
    std::fprintf(stderr, "%d photos of %ju bytes\n", count,
                 std::filesystem::file_size(made.pictureFolder / std::filesystem::path(photoName(0))));
    return made;
}

const DataPaths& photoFolder(int count) {
    static const DataPaths small = writePhotoFolder("small", kPoolPhotos, 640, 800);
    static const bool removeAtExit = [] {
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(small.root, error);
        });
        return true;
    }();
    (void)removeAtExit;
    if (count <= kPoolPhotos)
        return small;
    static const DataPaths large = [] {
        DataPaths made = writePhotoFolder("large", kLargePool, 320, 400);
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(large.root, error);
        });
        return made;
    }();
    return large;
}

class PhotoScreen {
public:
    explicit PhotoScreen(int shown, int pool = kPoolPhotos) {
        bench::ensureGuiApplication("photo_bench");
        PrizeItem prize;
        setField(prize.name, u"一等奖");
        prize.quota = shown;
        prize.perDraw = shown;
        prize.perLine = std::min(shown, 5);
        prize.fontSize = 22;
        m_prizes.push_back(prize);
        for (int i = 0; i < pool; ++i)
            m_pictures.push_back(makeEntrant(photoName(i)));
        m_settings.photoCaption = std::int32_t(PhotoCaptionMode::OnPicture);
        m_settings.photoCrop = std::int32_t(PhotoCropMode::Ellipse);
        m_run = std::make_unique<DrawRun>(
            m_host, m_random,
            DrawSources{&m_prizes, &m_texts, &m_pictures, &m_drawMode, &m_speed, &m_musicOff, &m_musicOff});
        m_run->startDraw();
        m_run->advanceDraw(); // scrolling
        if (m_run->progress().shownCount != shown)
            std::abort();

        ScreenInputs inputs;
        inputs.run = m_run.get();
        inputs.interface = &m_settings;
        inputs.prizes = &m_prizes;
        inputs.textList = &m_texts;
        inputs.pictureList = &m_pictures;
        inputs.drawMode = &m_drawMode;
        inputs.spaceAligned = &m_spaceAligned;
        inputs.paths = &photoFolder(pool);
        m_screen = std::make_unique<DrawScreen>(inputs);
        m_screen->resize(1920, 1080, 96);
    }

    // Stops the press: the winners' frame.
    void stop() { m_run->advanceDraw(); }
    const QImage& frame() {
        m_run->scrollTimerTick();
        return m_screen->composeFrame();
    }
    DrawScreen& screen() { return *m_screen; }
    const DrawRun& run() const { return *m_run; }
    const InterfaceSettings& settings() const { return m_settings; }
    const PrizeItem& prize() const { return m_prizes[0]; }

private:
    bench::StillClock m_clock;
    Random15 m_random{m_clock};
    QuietDrawHost m_host;
    PrizeList m_prizes;
    EntrantList m_texts;
    EntrantList m_pictures;
    std::int32_t m_drawMode = 1;
    std::int32_t m_speed = 60;
    std::int32_t m_musicOff = 0;
    std::int32_t m_spaceAligned = 0;
    InterfaceSettings m_settings;
    std::unique_ptr<DrawRun> m_run;
    std::unique_ptr<DrawScreen> m_screen;
};

void BM_PhotoFrameKept(benchmark::State& state) {
    PhotoScreen screen(int(state.range(0)));
    for (int i = 0; i < 100; ++i)
        screen.frame();
    for (auto _ : state)
        benchmark::DoNotOptimize(screen.frame().constBits());
    state.counters["tiles_MiB"] = double(screen.screen().photoTileBytes()) / (1 << 20);
}
BENCHMARK(BM_PhotoFrameKept)->ArgName("photos")->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

// Every photo decoded whole from its file, clipped to its ellipse on the frame and stretched into place;
// the rest of the frame (bands, captions) as the screen composes it.
void BM_PhotoFrameDecodingEach(benchmark::State& state) {
    PhotoScreen screen(int(state.range(0)));
    screen.screen().inputs().paths = nullptr; // the screen draws the captions only
    const DataPaths& paths = photoFolder(kPoolPhotos);
    for (auto _ : state) {
        QImage frame = screen.frame(); // painting detaches it: a copy of the frame, about 1 ms
        const DrawProgress& progress = screen.run().progress();
        const BandGeometry area = screen.screen().computeBand(Band::ScrollArea);
        const TextGrid grid =
            layoutScrollGrid(area.inner, screen.prize().perLine, progress.shownCount, 0.025);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < progress.shownCount; ++i) {
            const PixelRect photo = grid.slotRect(i);
            PictureFile picture;
            if (!picture.loadPicture(paths.pictureFolder /
                                     std::filesystem::path(progress.shownEntrants[std::size_t(i)].text())))
                std::abort();
            const PixelRect fitted = centredPhotoRect(picture.width(), picture.height(), photo);
            QPainterPath ellipse;
            ellipse.addEllipse(QRectF(fitted.left, fitted.top, fitted.width(), fitted.height()));
            painter.setClipPath(ellipse);
            drawImageFitted(painter, picture.image(), photo, 1, 1);
            painter.setClipping(false);
        }
        painter.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_PhotoFrameDecodingEach)->ArgName("photos")->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

// The winners' frame after the fonts and tiles were dropped: each shown photo decoded at its size, however
// long it takes (the caption glyphs are rendered anew as well).
void BM_PhotoFrameFirst(benchmark::State& state) {
    const int shown = int(state.range(0));
    PhotoScreen screen(shown);
    screen.frame();
    screen.stop();
    double total = 0;
    for (auto _ : state) {
        screen.screen().dropFonts();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(screen.frame().constBits());
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["frame_ms"] = total / double(state.iterations());
}
BENCHMARK(BM_PhotoFrameFirst)->ArgName("photos")->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

// One tile not yet kept: read, checked, decoded at its shown size, cropped. The tile sizes of fifty and of
// ten photos on the default layout.
void BM_PhotoTileNotYetKept(benchmark::State& state) {
    PhotoScreen screen(int(state.range(0)));
    const BandGeometry area = screen.screen().computeBand(Band::ScrollArea);
    const PixelRect cell =
        layoutScrollGrid(area.inner, screen.prize().perLine, int(state.range(0)), 0.025).slotRect(0);
    const std::filesystem::path file =
        photoFolder(kPoolPhotos).pictureFolder / std::filesystem::path(photoName(7));
    for (auto _ : state) {
        const PhotoTile tile = makePhotoTile(file, cell.width(), cell.height(), PhotoCropMode::Ellipse);
        if (tile.image.isNull())
            std::abort();
        benchmark::DoNotOptimize(tile.image.constBits());
    }
    state.counters["tile_w"] = cell.width();
    state.counters["tile_h"] = cell.height();
}
BENCHMARK(BM_PhotoTileNotYetKept)->ArgName("photos")->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

// Frames of a press from a pool of 3000 distinct photos, timed one by one.
struct FrameTimes {
    std::vector<double> ms;
    int slotCount = 0;
    int standIns = 0;

    void frame(PhotoScreen& screen) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(screen.frame().constBits());
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        for (const PhotoScrollView::DrawnSlot& drawn : screen.screen().photoView().lastFrame()) {
            ++slotCount;
            standIns += drawn.standIn;
        }
    }
    void report(benchmark::State& state) {
        std::sort(ms.begin(), ms.end());
        state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
        state.counters["max_ms"] = ms.empty() ? 0 : ms.back();
        state.counters["standin_share"] = slotCount ? double(standIns) / slotCount : 0;
    }
};

// arg 1: after the warmer filled the cache; arg 0: the first second after a drop, no warmer.
void BM_PhotoLargePool(benchmark::State& state) {
    const bool warmed = state.range(0) != 0;
    PhotoScreen screen(50, kLargePool);
    FrameTimes times;
    if (warmed) {
        screen.frame(); // the first sight of the prize starts the warmer
        const auto start = std::chrono::steady_clock::now();
        screen.screen().waitForPhotos();
        state.counters["warm_s"] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (auto _ : state)
            times.frame(screen);
    } else {
        screen.screen().photoView().setWarming(false);
        for (auto _ : state) {
            state.PauseTiming();
            screen.screen().dropFonts();
            state.ResumeTiming();
            for (int i = 0; i < 30; ++i)
                times.frame(screen);
        }
    }
    times.report(state);
    state.counters["tiles"] = double(screen.screen().photoView().tiles().count());
    state.counters["tiles_MiB"] = double(screen.screen().photoTileBytes()) / (1 << 20);
}
BENCHMARK(BM_PhotoLargePool)->ArgName("warmed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvora
