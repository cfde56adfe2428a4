#pragma once
// The records the program keeps from start-up to exit, owned by value in one place: every settings file's
// record, both name lists, and the paths they are read from and written to. The draw engine, the screen and
// the dialogs hold pointers into this object and never copies.

#include <QFlags>

#include <filesystem>

#include "console/console_settings.h"
#include "platform/capslock.h"
#include "platform/clock.h"
#include "platform/file_picker.h"
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
#include "standby/standby_settings.h"

namespace kelvora {

struct AppRecords {
    explicit AppRecords(const std::filesystem::path& root) : paths(root) {}

    DataPaths paths;
    PrizeList prizes;
    DrawMode drawMode;
    TextNameList textList;
    // The text list's editor changed it and no save has succeeded since: the next closing saves again.
    bool textListChanged = false;
    PictureNameList pictureList;
    // The same mark for the picture list.
    bool pictureListChanged = false;
    InterfaceSettings interface;
    MusicSettings music;
    FullListSettings fullList;
    PlaybackSettings playback;
    WindowedSettings windowed;
    ConsoleSettings console;
    StandbySettings standby;
};

// Which records a change replaced; the show announces changes with these.
enum class RecordKind : unsigned {
    Prizes = 1u << 0,
    DrawMode = 1u << 1,
    TextList = 1u << 2,
    PictureList = 1u << 3,
    Interface = 1u << 4,
    Music = 1u << 5,
    FullList = 1u << 6,
    Playback = 1u << 7,
    Windowed = 1u << 8,
};
Q_DECLARE_FLAGS(RecordKinds, RecordKind)

// The outside world as the window sees it; real ones in the program, fakes in tests.
struct AppServices {
    MessageBox& messages;
    FilePicker& files;
    CapsLockState& capsLock;
    Clock& clock;
    Random15& random;
};

} // namespace kelvora

// At global scope: inside the namespace these operators would hide Qt's own operator| for keys.
Q_DECLARE_OPERATORS_FOR_FLAGS(kelvora::RecordKinds)
