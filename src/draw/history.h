#pragma once
// The end of a draw: its winners go into a time-stamped history file, the saved progress is removed and the
// program returns to the state without a draw.

#include <string>
#include <vector>

#include "draw/draw_progress.h"
#include "platform/clock.h"
#include "records/data_paths.h"
#include "records/file_result.h"

namespace kelvora {

class DrawRun;
class DrawHost;

inline constexpr std::u16string_view kEndDrawQuestion =
    u"结束抽奖？\n\n1. 会清空中奖名单，重回奖池，无法再回放\n2. 只能在“历史抽奖记录”里查看中奖名单";

// "20261206_21.05.09.txt" for the given local time.
std::u16string historyFileName(const LocalTime& time);

// UTF-16LE with a byte-order mark and CR LF: per prize its name, 32 hyphens and its winners, two empty lines
// between prizes. In picture mode the winners' file names lose their last extension.
std::vector<std::byte> serializeHistory(const WinnerList& winners, bool pictureMode);

// Writes the history file of the winners under the local time's name (a distinct "_2", "_3"... name when a
// file of that second exists already), and its path into written. A failure is an EndDraw result.
FileResult writeHistory(const DataPaths& paths, const WinnerList& winners, bool pictureMode,
                        const LocalTime& time, std::filesystem::path* written = nullptr);

// Removes the progress file and any ".tmp" left beside it. A failure is an EndDraw result.
FileResult deleteProgressFile(const DataPaths& paths);

// The "结束抽奖" command: asks first (No is the default), drops a press in progress, writes the history file,
// removes the saved progress and resets the draw. Returns true when the draw was ended.
bool endDraw(DrawRun& run, DrawHost& host, const DataPaths& paths, Clock& clock);

} // namespace kelvora
