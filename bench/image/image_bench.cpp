// The picture paths the program waits on: loading a 4000 x 3000 phone photo and shrinking it to a 650-pixel
// photo-list size, importing a folder of such photos, and the nearest-neighbour stretch of a prize picture
// (1800 x 1200) to a 600 x 400 tile.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include <QImageWriter>
#include <unistd.h>

#include "image/photo_import.h"
#include "image/picture_file.h"
#include "records/file_system.h"

namespace kelvora {
namespace {

// A 4000 x 3000 JPEG with smooth colour and fine detail, so the decoder does the work a real photo costs;
// written once, removed at exit.
class PhotoFile {
public:
    PhotoFile()
        : m_path(std::filesystem::temp_directory_path() /
                 ("kelvora-bench-" + std::to_string(getpid()) + ".jpg")) {
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qRgb(x * 255 / 4000, y * 255 / 3000, (x * 31 + y * 17) % 256);
        }
        QImageWriter writer(QString::fromStdString(m_path.string()), "jpeg");
        writer.setQuality(90);
        if (!writer.write(image))
            std::abort();
    }
    ~PhotoFile() {
        std::error_code error;
        std::filesystem::remove(m_path, error);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

const std::filesystem::path& photoFile() {
    static const PhotoFile file;
    return file.path();
}

void BM_LoadPhotoAndShrinkTo650(benchmark::State& state) {
    const std::filesystem::path& file = photoFile();
    for (auto _ : state) {
        PictureFile picture;
        if (!picture.loadPicture(file))
            state.SkipWithError("the photo did not load");
        picture.shrinkToFit(650);
        benchmark::DoNotOptimize(picture.image().row(0));
    }
    state.counters["file_MiB"] = double(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
}
// Wall time: Qt converts large images on its thread pool, which the main thread's CPU time would not count.
BENCHMARK(BM_LoadPhotoAndShrinkTo650)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The whole import of a folder of eight phone photos at the default size: what the progress bar waits on, per
// photo about the load-and-shrink above plus the encoding of the copy.
void BM_ImportEightPhotos(benchmark::State& state) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("kelvora-bench-import-" + std::to_string(getpid()));
    const std::filesystem::path source = root / "photos";
    std::filesystem::create_directories(source);
    for (int i = 0; i < 8; ++i)
        std::filesystem::copy_file(photoFile(), source / ("photo" + std::to_string(i) + ".jpg"));
    const DataPaths paths(root / "data");
    std::filesystem::create_directories(paths.settingsFolder);
    const std::atomic<bool> cancel{false};
    PictureNameList list;
    for (auto _ : state) {
        PhotoImportResult result =
            importPhotos(paths, PhotoImportRequest{source, kDefaultShrinkSize}, cancel, {});
        finishPhotoImport(paths, list, std::move(result));
        if (list.entries.size() != 8)
            state.SkipWithError("the photos did not import");
    }
    deleteFolderTree(root);
}
BENCHMARK(BM_ImportEightPhotos)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_Stretch1800x1200To600x400(benchmark::State& state) {
    FCObjImage source;
    source.create(1800, 1200, int(state.range(0)));
    for (int y = 0; y < source.height(); ++y) {
        for (int i = 0; i < source.width() * source.colorBits() / 8; ++i)
            source.row(y)[i] = std::uint8_t(i + y);
    }
    for (auto _ : state) {
        FCObjImage image = source; // shares the pixels: stretch reads them and makes new ones
        image.stretch(600, 400);
        benchmark::DoNotOptimize(image.row(0));
    }
}
BENCHMARK(BM_Stretch1800x1200To600x400)
    ->Arg(24)
    ->Arg(32)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvora
