#pragma once
// The files the show will open on the night: the photos of picture mode, the prizes' pictures, the background
// and the music. A missing file shows as an empty tile, a plain red screen or silence in front of everybody;
// here it is a line of the report instead.

#include <filesystem>
#include <functional>
#include <string>

#include "records/data_paths.h"
#include "records/prizes.h"
#include "rehearsal/findings.h"
#include "settings/interface_settings.h"
#include "settings/music_settings.h"

namespace kelvora {

// Loads a picture the way the screen does: empty when it loads, else the loader's reason. Pictures need
// the image codecs, which the caller has; without a probe only their presence is checked.
using PictureProbe = std::function<std::u16string(const std::filesystem::path&)>;
// The same for a music file: empty when it plays, else why not. Without one only presence is checked.
using MusicProbe = std::function<std::u16string(const std::filesystem::path&)>;

struct EventFiles {
    const PrizeList* prizes = nullptr;
    const EntrantList* photos = nullptr; // picture mode's list; null in text mode
    const InterfaceSettings* look = nullptr;
    const MusicSettings* music = nullptr;
};

void checkFiles(const DataPaths& paths, const EventFiles& files, const PictureProbe& probe,
                Findings& findings, const MusicProbe& musicProbe = {});

} // namespace kelvora
