// Taking a package in over arbitrary bytes, and the manifest parser over arbitrary text; the first byte picks
// which (even: the bytes are a package file, staged into an empty program folder and discarded; odd: they are
// a manifest). A package must be staged or refused, never crash or hang, and either way the program folder
// must be as empty afterwards as before. A manifest the parser accepts names only safe paths, once each, and
// writes back to one that parses to the same files.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "standby/event_package.h"

using namespace kelvora;

namespace {

// One program folder and one package file for the whole run, beside each other in a temporary folder.
struct Place {
    std::filesystem::path root;
    std::filesystem::path package;
    Place() {
        std::string folder = (std::filesystem::temp_directory_path() / "kelvora-fuzz-XXXXXX").string();
        if (!::mkdtemp(folder.data()))
            std::abort();
        root = std::filesystem::path(folder) / "program";
        package = std::filesystem::path(folder) / "event.kelvora";
        std::filesystem::create_directory(root);
    }
};

void stageBytes(std::string_view bytes) {
    static const Place place;
    std::ofstream(place.package, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const DataPaths paths(place.root);
    const StageResult result = stagePackage(place.package, paths, nullptr, {});
    if (result.failure.ok() == result.staged.folder.empty())
        std::abort();
    if (result.failure.ok() != packageFailureText(result.failure).empty())
        std::abort();
    discardStagedPackage(result.staged);
    if (!std::filesystem::is_empty(place.root))
        std::abort();
}

void parseBytes(std::string_view bytes) {
    const ManifestParse parse = parseManifest(bytes);
    if (parse.verdict != ManifestVerdict::Ok)
        return;
    for (const ManifestFile& file : parse.manifest.files)
        if (!isSafePackagePath(file.path) || file.sha256.size() != 64)
            std::abort();
    const ManifestParse again = parseManifest(manifestJson(parse.manifest));
    if (again.verdict != ManifestVerdict::Ok || again.manifest.files.size() != parse.manifest.files.size())
        std::abort();
    for (std::size_t i = 0; i < again.manifest.files.size(); ++i)
        if (again.manifest.files[i].path != parse.manifest.files[i].path ||
            again.manifest.files[i].size != parse.manifest.files[i].size)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0)
        stageBytes(bytes);
    else
        parseBytes(bytes);
    return 0;
}
