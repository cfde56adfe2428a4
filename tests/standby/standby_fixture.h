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

// Every entry under folder by its relative name: a file's bytes, "<dir>" for a folder, "<link>" for a
// symbolic link (never followed). Two equal listings mean nothing was added, removed or changed.
std::map<std::string, std::string> listTree(const std::filesystem::path& folder);

} // namespace kelvora::test
