// Feeds arbitrary file images to the readers of the fixed-size settings records. The first byte picks the
// reader (and, for the windowed settings, the screen size); the rest is the file. Whatever a reader accepts
// must be written back to a file of the record's size that reads back to the same record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "console/console_settings.h"
#include "settings/interface_settings.h"
#include "settings/music_settings.h"
#include "settings/playback_settings.h"
#include "settings/windowed_settings.h"

namespace {

using namespace kelvora;

void require(bool condition) {
    if (!condition)
        std::abort();
}

template <class Record, class Parse, class Serialize>
void checkReader(std::span<const std::byte> image, Parse parse, Serialize serialize) {
    Record record;
    ByteReader in(image);
    if (!parse(in, record))
        return;
    require(image.size() == Record::kFileBytes);
    ByteWriter out;
    serialize(record, out);
    require(out.bytes().size() == Record::kFileBytes);
    Record back;
    ByteReader again(out.bytes());
    require(parse(again, back));
    require(back == record);
}

struct Screen {
    int width, height;
};
constexpr Screen kScreens[] = {{1920, 1080}, {1280, 768}, {300, 200}, {0, 0}};

void checkWindowed(std::span<const std::byte> image, Screen screen) {
    auto parse = [screen](ByteReader& in, WindowedSettings& s) {
        return parseWindowedSettings(in, s, screen.width, screen.height);
    };
    checkReader<WindowedSettings>(image, parse, serializeWindowedSettings);
    WindowedSettings s;
    ByteReader in(image);
    if (!parse(in, s))
        return;
    require(s.x >= 0 && s.y >= 0 && s.width >= 0 && s.height >= 0);
    require(s.x + s.width <= screen.width && s.y + s.height <= screen.height);
    WindowedSettings again = s;
    clampWindowRect(again, screen.width, screen.height);
    require(again == s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::span<const std::byte> image(reinterpret_cast<const std::byte*>(data) + 1, size - 1);
    switch (data[0] % 6) {
    case 0:
        checkReader<InterfaceSettings>(image, parseInterfaceSettings, serializeInterfaceSettings);
        break;
    case 1:
        checkReader<MusicSettings>(image, parseMusicSettings, serializeMusicSettings);
        break;
    case 2:
        checkReader<PlaybackSettings>(image, parsePlaybackSettings, serializePlaybackSettings);
        break;
    case 3:
        checkReader<FullListSettings>(image, parseFullListSettings, serializeFullListSettings);
        break;
    case 4:
        checkReader<ConsoleSettings>(image, parseConsoleSettings, serializeConsoleSettings);
        break;
    default:
        checkWindowed(image, kScreens[(data[0] / 6) % 4]);
        break;
    }
    return 0;
}
