#pragma once
// Where a rehearsal keeps its draw: a folder of its own beside the program's data, holding the progress file
// and the history that the rehearsal writes, and a mark that a rehearsal is under way. The real progress and
// history folders are never written while it is; ending the rehearsal deletes the folder, and a start-up that
// finds it (the program died during a rehearsal) goes on in rehearsal, never on the real draw.

#include <filesystem>
#include <string_view>

#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

inline constexpr std::u16string_view kRehearsalFolderName = u"彩排(退出彩排时删除)";

// The real paths with the progress and the history moved into the rehearsal folder; the settings stay real,
// since adjusting them is what a rehearsal is for.
DataPaths rehearsalPaths(const DataPaths& real);
// The rehearsal folder and its mark are there.
bool rehearsalUnderWay(const DataPaths& real);
// A fresh rehearsal folder with its mark (a stale one is deleted first). A CreateFolder or Write failure
// leaves no mark.
FileResult beginRehearsal(const DataPaths& real);
// Deletes the rehearsal folder and everything the rehearsal wrote.
void discardRehearsal(const DataPaths& real);

} // namespace kelvora
