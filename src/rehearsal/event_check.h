#pragma once
// The pre-show check of a data folder as the program would start on it: every record it reads, the name list
// of its draw mode against the prizes, the saved draw against the prizes, and the dry run. The command line
// and the dialog both print what this returns.

#include <atomic>
#include <functional>

#include "records/data_paths.h"
#include "rehearsal/dry_run.h"
#include "rehearsal/file_check.h"
#include "rehearsal/findings.h"
#include "settings/interface_settings.h"

namespace kelvora {

struct EventCheckOptions {
    DryRunOptions dryRun;  // runs 0: no dry run
    PictureProbe probe;    // how pictures are tried; empty: only their presence is checked
    MusicProbe musicProbe; // the same for music
};

struct EventCheck {
    Findings findings;          // sorted, the most serious first
    DryRunResult dryRun;        // Caps Lock on: the lists decide
    DryRunResult dryRunCapsOff; // Caps Lock off: everybody alike
    // What was read, for the checks that need the screen's fonts (done by the caller).
    PrizeList prizes;
    EntrantList names;
    bool textMode = true;
    bool spaceAligned = false;
    InterfaceSettings look;
};

EventCheck checkEvent(const DataPaths& paths, const EventCheckOptions& options,
                      const std::atomic<bool>* cancel = nullptr,
                      const std::function<void(int)>& progress = {});

} // namespace kelvora
