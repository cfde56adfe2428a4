#pragma once
// The live mirror: a second, complete program folder kept in a place the operator chose (a USB stick, a
// network share), so that a standby computer can start the program from there and go on from the last stop.
// A worker thread of its own brings it up to date after every save and looks again every few seconds for
// saves nobody announced. It never makes the show wait: requestSync() and state() only touch a flag and a
// small record under a mutex, a failing place is retried with a growing pause, and what goes wrong goes to
// the log, never to the screen.
//
// The mirror holds the program file, the built-in resources and the event's data folders (settings,
// history, progress; the progress last in every pass, so that the mirror never holds a draw newer than its
// prizes and lists). Each file is replaced through a temporary file, so a pulled stick or a kill mid-copy
// never leaves half a file under a real name. A copy takes its source's modification time; a file whose
// size and time still match what the last copy left is not copied again. Inside the mirrored folders
// whatever the source no longer has goes, links included (never followed); everything else in the
// operator's folder is left alone.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "records/data_paths.h"

namespace kelvora {

struct MirrorSetup {
    DataPaths source;              // the program's own data
    std::filesystem::path program; // the executable, copied as "<target>/<its file name>"
    std::filesystem::path target;  // the operator's folder; it must exist, it is never created
};

enum class MirrorHealth {
    Off,      // no mirror
    UpToDate, // the last pass left the mirror complete
    Behind,   // a save was announced or a pass is copying
    Failing,  // the last pass failed; it is retried
};

struct MirrorState {
    MirrorHealth health = MirrorHealth::Off;
    std::int64_t lastCopyMs = 0; // wall clock when a pass last left the mirror complete; 0 never
    std::u16string problem;      // the last failure: what, where, why
    int pending = 0;             // files still to copy in the running pass
};

struct MirrorTiming {
    std::chrono::milliseconds firstRetry{2000};    // after a failure; doubled at each further one
    std::chrono::milliseconds longestRetry{30000}; // the most it grows to
    std::chrono::milliseconds rescan{5000};        // a look for changes nobody announced
    std::chrono::milliseconds stopWait{1000};      // how long stop() waits for a copy stuck in the kernel
};

// Called on the worker thread with one line for the log file.
using MirrorLog = std::function<void(std::u16string_view text)>;

inline constexpr std::u16string_view kMirrorIsProgramFolderText = u"备用位置就是本软件所在的文件夹";
inline constexpr std::u16string_view kMirrorInsideProgramText = u"备用位置不能在本软件的文件夹里";
inline constexpr std::u16string_view kMirrorFailedLogText = u"备用位置同步失败: %s，稍后重试";
inline constexpr std::u16string_view kMirrorRecoveredLogText = u"备用位置已恢复同步";

struct MirrorShared; // what the worker thread shares with its owner; outlives a thread that was let go

class Mirror {
public:
    explicit Mirror(MirrorLog log, MirrorTiming timing = {});
    Mirror(const Mirror&) = delete;
    Mirror& operator=(const Mirror&) = delete;
    ~Mirror();

    // Starts the worker on setup, after stopping one that runs; its first pass begins at once.
    void start(MirrorSetup setup);
    // Ends the worker. Waits at most timing.stopWait for it: a copy stuck on a dead share is let go and ends
    // on its own, and the log hears nothing more from it.
    void stop();
    // A save happened: a pass follows (at once when the mirror is failing). Never waits for file work.
    void requestSync();
    MirrorState state() const;
    // True once no pass is asked for or running; false after timeoutMs. For tests.
    bool waitUntilSettled(int timeoutMs);

private:
    MirrorLog m_log;
    MirrorTiming m_timing;
    std::shared_ptr<MirrorShared> m_shared;
    std::thread m_thread;
};

// The console's line: "备用位置: 已同步 (10:21:33)" and the like, the time in local time.
std::u16string mirrorStateText(const MirrorState& state);

// Why target cannot take the mirror: it is the program's folder, lies inside it or one of its data folders,
// or its mirrored folders or program file would be the program's own (through links). Nothing when it can.
std::optional<std::u16string> mirrorTargetProblem(const MirrorSetup& setup);

} // namespace kelvora
