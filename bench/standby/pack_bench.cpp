// Packing the photo-mode sample event (200 generated portraits, their list, the prizes) into a package, as
// the operator does before carrying the event to the standby computer: it must take well under two seconds.
// The sample is written once by the sample tool into a temporary folder; KELVORA_BUILTIN_DIR, when set, gives
// the tool the built-in folder so that the look's background and the music come along as in a real event.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include "standby/event_package.h"

namespace kelvora {
namespace {

// The sample event, written on first use and removed with the temporary folder at exit.
struct Sample {
    std::filesystem::path folder;
    std::filesystem::path event; // empty when the tool failed

    Sample() {
        std::string name = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (!::mkdtemp(name.data()))
            return;
        folder = name;
        const std::filesystem::path root = folder / "event";
        std::string command =
            std::string("'") + KELVORA_SAMPLE_DATA + "' --photos 200 '" + root.string() + "'";
        if (const char* builtin = std::getenv("KELVORA_BUILTIN_DIR"))
            command += std::string(" '") + builtin + "'";
        if (std::system((command + " > /dev/null").c_str()) == 0)
            event = root;
    }
    ~Sample() {
        std::error_code ec;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ec);
    }
};

void BM_PackPhotoSample(benchmark::State& state) {
    static const Sample sample;
    const std::filesystem::path& root = sample.event;
    if (root.empty()) {
        state.SkipWithError("the sample tool failed");
        return;
    }
    const DataPaths paths(root);
    const std::filesystem::path target = root.parent_path() / "sample.kelvora";
    PackResult packed;
    for (auto _ : state) {
        packed = packEvent(paths, target, "bench", nullptr, {});
        if (!packed.failure.ok()) {
            state.SkipWithError("the pack failed");
            break;
        }
    }
    state.counters["files"] = packed.files;
    state.counters["MB"] = static_cast<double>(packed.bytes) / (1 << 20);
    state.counters["package_MB"] = static_cast<double>(std::filesystem::file_size(target)) / (1 << 20);
}
BENCHMARK(BM_PackPhotoSample)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A zip bomb: 200 MB of zeros deflated into a package of a few hundred kilobytes, its manifest listing 10
// bytes. Refusing it must cost about what a small package costs, not the unpacking of 200 MB.
void BM_StageZipBomb(benchmark::State& state) {
    static const Sample sample;
    if (sample.folder.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path package = sample.folder / "bomb.kelvora";
    const std::string name = "参数设置(勿删)/炸弹.dat";
    {
        QuaZip zip(QString::fromStdString(package.string()));
        zip.setUtf8Enabled(true);
        QuaZipFile entry(&zip);
        const std::string zeros(1 << 20, '\0');
        PackageManifest manifest;
        manifest.files.push_back({name, 10, std::string(64, '0')});
        const std::string json = manifestJson(manifest);
        if (!zip.open(QuaZip::mdCreate) ||
            !entry.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromStdString(name))))
            std::abort();
        for (int mb = 0; mb < 200; ++mb)
            entry.write(zeros.data(), qint64(zeros.size()));
        entry.close();
        if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(kManifestName.data()))))
            std::abort();
        entry.write(json.data(), qint64(json.size()));
        entry.close();
        zip.close();
    }
    const DataPaths paths(sample.folder / "bombed");
    std::filesystem::create_directories(paths.root);
    for (auto _ : state) {
        const StageResult result = stagePackage(package, paths, nullptr, {});
        if (result.failure.fault != PackageFault::Damaged) {
            state.SkipWithError("the bomb was not refused as damaged");
            break;
        }
    }
    state.counters["package_KB"] = static_cast<double>(std::filesystem::file_size(package)) / 1024;
}
BENCHMARK(BM_StageZipBomb)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvora
