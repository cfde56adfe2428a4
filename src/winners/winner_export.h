#pragma once
// The two exports of the winners window: the winners prize by prize, and the entrants not yet drawn. Each is
// a plain function meant to run on a worker thread; it reads a cancel flag before each entry, reports its
// progress through a callback and returns what it came to as a value. Nothing here knows a widget.
//
// How the winners window calls it (buttons "导出中奖名单..." and "导出未中奖名单..."):
//
//     if (!run.drawStarted()) { messages.show(this, kDrawNotStartedText, MessageIcon::Warning); return; }
//     std::optional<std::filesystem::path> folder = picker.saveFile(...);   // no filter, no extension
//     if (!folder) return;
//     if (FileResult made = createExportFolder(*folder); !made) {
//         messages.show(this, messageText(made), MessageIcon::Error);     // "文件夹创建失败:..."
//         return;
//     }
//     // ExportProgressDialog: clears the flag, then on its QThread (the worker gets copies of the lists):
//     ExportSource source{run.pictureMode(), paths.pictureFolder};
//     ExportResult result = exportWinners(winnersCopy, *folder, source, cancel,
//                                         [&](int done, int total) { emit progress(done, total); });
//     //   or exportNotYetWon(poolCopy, *folder, source, cancel, progress)
//     // "取消" calls cancel.set(); the dialog stays until the worker has ended. Then, on the window's
//     thread: if (std::u16string text = result.messageText(); !text.empty())
//         messages.show(dialog, text, MessageIcon::Error);
//     else if (!cancelPressed) messages.show(dialog, kExportSucceededText, MessageIcon::Information);
//     // (a cancel pressed during the last entry finds the export complete; it still says nothing)
//
// The lists to hand in are run.progress().winners and run.progress().pool. While names scroll the running
// press is in neither list as a winner, so it is left out of the winners export.
//
// Files: UTF-16LE, byte order mark FF FE, every line ending in CR LF. "_还未中奖名单.txt" holds a line per
// pool entrant; "全部奖项.txt" holds each prize's name, twenty hyphens and its winners, groups apart by two
// empty lines; "<prize>.txt" holds the prize's winners. In picture mode a line is the picture's file name
// without its extension, and the pictures are copied: the pool's into the export folder, the winners' into a
// folder named after the prize. A failure stops the export and leaves what was written. Whatever was written
// is synced to the disk once, when the export ends (also after a cancel or a failure).

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "draw/draw_progress.h"
#include "records/file_result.h"

namespace kelvora {

inline constexpr std::u16string_view kNotYetWonFileName = u"_还未中奖名单.txt";
inline constexpr std::u16string_view kAllPrizesFileName = u"全部奖项.txt";
inline constexpr std::u16string_view kPrizeRule = u"--------------------";
inline constexpr std::u16string_view kDrawNotStartedText = u"还未开始抽奖";
inline constexpr std::u16string_view kExportingText = u"正在导出...";
inline constexpr std::u16string_view kExportSucceededText = u"导出成功";
inline constexpr std::u16string_view kPrintHintText = u"导出后打印即可";

// Set by the window's "取消", read by the worker before each entry.
class ExportCancelFlag {
public:
    void set() {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }
    bool isSet() const {
        std::lock_guard lock(m_mutex);
        return m_set;
    }

private:
    mutable std::mutex m_mutex;
    bool m_set = false;
};

// Entries done of the total, after each entry (and once with 0 before the first).
using ExportProgressFn = std::function<void(int done, int total)>;

struct ExportSource {
    bool pictureMode = false;
    std::filesystem::path pictureFolder; // where the pictures of the picture list are, in picture mode
};

struct ExportResult {
    FileResult failure;     // converts to true when nothing failed
    bool cancelled = false; // the flag stopped the export early
    int done = 0;           // entries written

    // The operator's message for a failure ("写文件失败", "文件夹创建失败", "复制文件失败" with the
    // write-access hint when permission was denied); empty when nothing failed.
    std::u16string messageText() const;
};

// A stored picture file name split for display: the name before its last ".", and the extension with the
// dot ("" when there is none). The two together give the stored name back.
std::pair<std::u16string_view, std::u16string_view> splitExtension(std::u16string_view fileName);

// Makes the chosen folder; it must not exist yet. A failure is a CreateFolder result for a place the operator
// chose ("文件夹创建失败:\n<path>\n\n<reason>").
FileResult createExportFolder(const std::filesystem::path& folder);

// "_还未中奖名单.txt" in folder, and in picture mode the pool's pictures beside it.
ExportResult exportNotYetWon(const EntrantPool& pool, const std::filesystem::path& folder,
                             const ExportSource& source, const ExportCancelFlag& cancel,
                             const ExportProgressFn& progress);

// "全部奖项.txt" and one file per prize in folder, and in picture mode a folder of pictures per prize.
ExportResult exportWinners(const WinnerList& winners, const std::filesystem::path& folder,
                           const ExportSource& source, const ExportCancelFlag& cancel,
                           const ExportProgressFn& progress);

} // namespace kelvora
