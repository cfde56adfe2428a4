#include "app/rehearsal_check.h"

#include <QProgressBar>

#include <atomic>

#include "app/command_registry.h"
#include "app/main_window.h"
#include "audio/music_probe.h"
#include "image/picture_file.h"
#include "rehearsal/file_check.h"
#include "rehearsal/list_check.h"
#include "rehearsal/ui/rehearsal_check_dialog.h"
#include "screen/name_fit.h"
#include "ui/work_progress_dialog.h"

namespace kelvora {

namespace {

constexpr int kDryRuns = 1000;

} // namespace

std::u16string pictureProblem(const std::filesystem::path& path) {
    PictureFile picture;
    return picture.loadPictureScaled(path, [](QSize) { return QSize(16, 16); }) ? std::u16string()
                                                                                : picture.errorText();
}

namespace {

std::optional<CommandId> editorOf(FixPlace place) {
    switch (place) {
    case FixPlace::Prizes:
        return CommandId::PrizeSettings;
    case FixPlace::Names:
        return CommandId::DrawModeSettings;
    case FixPlace::Look:
        return CommandId::InterfaceSettings;
    case FixPlace::Music:
        return CommandId::MusicSettings;
    case FixPlace::None:
        break;
    }
    return std::nullopt;
}

// One round: the files and the dry run off the UI thread, then what needs the fonts, then the report. The
// editor the operator chose, or "check again", comes back.
struct Round {
    FixPlace place = FixPlace::None;
    bool again = false;
};

Round checkOnce(MainWindow& window) {
    // Copies: the work runs on its own thread while the records stay the program's.
    const AppRecords& records = window.controller().records();
    const bool textMode = records.drawMode.isTextMode();
    const PrizeList prizes = records.prizes;
    const EntrantList names = textMode ? records.textList.entries : records.pictureList.entries;
    const InterfaceSettings look = records.interface;
    const MusicSettings music = records.music;
    const DataPaths paths = records.paths;

    std::atomic<bool> cancel{false};
    Findings fileFindings;
    DryRunResult dryRunResult, capsOffResult;
    DryRunOptions options;
    options.runs = kDryRuns;
    DryRunOptions capsOff = options;
    capsOff.capsLock = false;
    WorkProgressDialog progress(
        QStringLiteral("彩排检查"), QStringLiteral("正在检查文件，并把整场抽奖试抽 %1 次…").arg(kDryRuns),
        [&](const WorkProgress& report) {
            checkFiles(paths, EventFiles{&prizes, textMode ? nullptr : &names, &look, &music}, pictureProblem,
                       fileFindings, musicProblem);
            dryRunResult =
                dryRun(prizes, names, options, &cancel, [&report](int done) { report(done, kDryRuns); });
        },
        [&cancel] { cancel = true; }, &window);
    progress.exec();

    Findings findings;
    checkNameList(names, findings);
    checkPrizes(prizes, names, findings);
    findings.insert(findings.end(), fileFindings.begin(), fileFindings.end());
    if (textMode) {
        const NameFitScreen screen{window.width(), window.height(), window.logicalDpiY()};
        reportNameFit(findOverflowingNames(look, prizes, names, records.textList.spaceAligned != 0, screen),
                      prizes, screen, findings);
    }
    std::vector<std::u16string> odds;
    if (!dryRunResult.cancelled && !capsOffResult.cancelled) {
        dryRunFindings(dryRunResult, options, findings);
        dryRunFindings(capsOffResult, capsOff, findings);
        odds = dryRunOddsLines(dryRunResult, true);
        for (std::u16string& line : dryRunOddsLines(capsOffResult, false))
            odds.push_back(std::move(line));
    }
    sortFindings(findings);

    RehearsalCheckDialog report(std::move(findings), dryRunResult, odds, &window);
    report.exec();
    return {report.chosenPlace(), report.againRequested()};
}

} // namespace

void registerRehearsalCheckCommand(CommandRegistry& registry, MainWindow& window) {
    registry.add(CommandId::RehearsalCheck)
        .text(u"彩排检查...")
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&window] {
            Round round = checkOnce(window);
            while (round.again)
                round = checkOnce(window);
            if (const auto editor = editorOf(round.place))
                window.runCommand(*editor);
        });
}

} // namespace kelvora
