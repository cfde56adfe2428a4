#pragma once
// The records the program keeps from start-up to exit, owned by value in one place: every settings file's
// record, both name lists, and the paths they are read from and written to. The draw engine, the screen and
// the dialogs hold pointers into this object and never copies.

#include <filesystem>

#include "platform/capslock.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/random.h"
#include "records/data_paths.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "settings/music_settings.h"
#include "settings/picture_name_list.h"
#include "settings/playback_settings.h"
#include "settings/text_name_list.h"
#include "settings/windowed_settings.h"

namespace kelvora {

struct AppRecords {
    explicit AppRecords(const std::filesystem::path& root) : paths(root) {}

    DataPaths paths;
    PrizeList prizes;
    DrawMode drawMode;
    TextNameList textList;
    PictureNameList pictureList;
    InterfaceSettings interface;
    MusicSettings music;
    FullListSettings fullList;
    PlaybackSettings playback;
    WindowedSettings windowed;
};

// The outside world as the window sees it; real ones in the program, fakes in tests.
struct AppServices {
    MessageBox& messages;
    CapsLockState& capsLock;
    Clock& clock;
    Random15& random;
};

} // namespace kelvora
