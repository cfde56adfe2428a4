#pragma once
// A small event on disk, written through the records' own savers so that everything reading it (the
// summary, the start-up) sees real data: the look with its title, text mode with a name list, three prizes
// with a white list and a picture, a photo folder with its list, and, when asked, a draw under way.

#include <filesystem>
#include <map>
#include <string>

#include "records/data_paths.h"

namespace kelvora::test {

struct SampleEvent {
    std::u16string title = u"年会抽奖";
    int names = 12;
    bool drawStarted = false; // two winners of the first prize, one of the second, standing at the second
};

// Writes the event under paths.root (which must exist).
void writeSampleEvent(const DataPaths& paths, const SampleEvent& event = {});


} // namespace kelvora::test
