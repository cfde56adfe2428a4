#pragma once
// The files that make up an event on disk, as the package and the mirror both copy them: every regular file
// under the data folders they are given, named relative to the program's folder. What is only ever transient
// or belongs to this computer rather than to the event stays behind: temporary files of a replace (".tmp",
// ".kelvora-XXXXXX"), an import's staging folder, and the standby settings themselves. Symbolic links are
// never followed: a link inside a data folder must not carry anything outside it into a package or a mirror.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "records/data_paths.h"

namespace kelvora {

struct EventFile {
    std::filesystem::path source; // where it is now
    std::string relative; // UTF-8, "/"-separated, from the program's folder: "参数设置(勿删)/奖项/一等奖.dat"
    std::uint64_t size = 0;
    timespec modified{};
};

struct EventFileList {
    std::vector<EventFile> files; // sorted by relative name; the progress folder's last
    int error = 0;                // errno of the first folder that could not be read (0: all read)
    std::filesystem::path errorPath;
};

// The settings folder, the history folder when withHistory, then the progress folder, each walked
// recursively. A missing folder is no error: a new event has no progress yet.
EventFileList listEventFiles(const DataPaths& paths, bool withHistory);

// True for names that are never part of an event: a replace's temporary file, an import's staging folder.
bool isTransientName(const std::string& fileName);

// The folders an event consists of, relative to the program's folder, in the order listEventFiles walks them.
std::vector<std::string> eventFolderNames(bool withHistory);

} // namespace kelvora
