// Drives the whole file protocol, not just the parser: the bytes go to a real file that is then loaded, so
// the size checks, the single read and the length check all see fuzzed input.

#include <cstdlib>
#include <fstream>
#include <string>

#include "records/draw_mode.h"

namespace {

const kelvora::DataPaths& fuzzPaths() {
    static const kelvora::DataPaths paths = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        static const std::string root = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
        });
        return kelvora::DataPaths(pattern);
    }();
    return paths;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvora;
    const DataPaths& paths = fuzzPaths();
    std::filesystem::create_directories(paths.settingsFolder);
    {
        std::ofstream out(paths.drawModeFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    DrawMode mode{kTextMode};
    const FileResult result = loadDrawMode(paths, mode);
    const bool valid = size == 4 || size == 0;
    if (static_cast<bool>(result) != valid)
        std::abort();
    // A rejected file names itself and leaves the defaults.
    if (!result &&
        (result.path != paths.drawModeFile || messageText(result).empty() || mode.mode != kPictureMode))
        std::abort();
    return 0;
}
