#include "rehearsal/event_check.h"

#include <optional>

#include "draw/progress_file.h"
#include "records/draw_mode.h"
#include "rehearsal/list_check.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"

namespace kelvora {

namespace {

// A record that does not read gives its defaults at start-up: the show would run without it.
void reportFile(const FileResult& result, std::u16string where, FixPlace place, Findings& findings) {
    if (!result)
        findings.push_back(
            {Severity::Error, std::move(where), messageText(result), u"修好或删除这个文件后再检查", place});
}

} // namespace

EventCheck checkEvent(const DataPaths& paths, const EventCheckOptions& options,
                      const std::atomic<bool>* cancel, const std::function<void(int)>& progress) {
    EventCheck check;
    PrizeList& prizes = check.prizes;
    DrawMode drawMode;
    TextNameList textList;
    PictureNameList pictureList;
    reportFile(loadPrizes(paths, prizes), u"奖项", FixPlace::Prizes, check.findings);
    reportFile(loadDrawMode(paths, drawMode), u"抽奖模式", FixPlace::Names, check.findings);
    const bool textMode = drawMode.isTextMode();
    if (textMode)
        reportFile(loadTextNameList(paths, textList), u"名单", FixPlace::Names, check.findings);
    else
        reportFile(loadPictureNameList(paths, pictureList), u"名单", FixPlace::Names, check.findings);
    check.textMode = textMode;
    check.spaceAligned = textList.spaceAligned != 0;
    check.names = textMode ? textList.entries : pictureList.entries;
    const EntrantList& names = check.names;
    reportFile(loadInterfaceSettings(paths, check.look), u"界面", FixPlace::Look, check.findings);
    MusicSettings music;
    reportFile(loadMusicSettings(paths, music), u"音乐", FixPlace::Music, check.findings);
    checkFiles(paths, EventFiles{&prizes, textMode ? nullptr : &names, &check.look, &music}, options.probe,
               check.findings, options.musicProbe);

    checkNameList(names, check.findings);
    checkPrizes(prizes, names, check.findings);

    std::optional<DrawProgress> saved;
    if (const FileResult result = loadProgress(paths, prizes, saved); !result)
        check.findings.push_back({Severity::Error, u"抽奖进度", messageText(result),
                                  u"中断的抽奖不能继续：恢复原来的奖项，或按 Ctrl+F 结束抽奖"});

    if (options.dryRun.runs > 0 && !prizes.empty() && !names.empty()) {
        DryRunOptions on = options.dryRun;
        on.capsLock = true;
        check.dryRun = dryRun(prizes, names, on, cancel, progress);
        dryRunFindings(check.dryRun, on, check.findings);
        DryRunOptions off = on;
        off.capsLock = false;
        check.dryRunCapsOff = dryRun(prizes, names, off, cancel);
        dryRunFindings(check.dryRunCapsOff, off, check.findings);
    }
    sortFindings(check.findings);
    return check;
}

} // namespace kelvora
