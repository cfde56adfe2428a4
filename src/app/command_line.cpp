#include "app/command_line.h"

#include <QGuiApplication>
#include <QScreen>

#include <charconv>
#include <cstdio>
#include <ctime>

#include "app/rehearsal_check.h"
#include "app/standby.h"
#include "audio/music_probe.h"
#include "draw/progress_file.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "rehearsal/event_check.h"
#include "screen/name_fit.h"
#include "sheets/sheet_import.h"
#include "sheets/winners_workbook.h"
#include "standby/event_package.h"
#include "winners/winner_export.h"

// Last: Xlib's macros (None, Status) would break the headers above.
#include <X11/Xlib.h>

namespace kelvora {

namespace {

template <class T> bool parseNumber(const std::string& text, T& value, T low, T high) {
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

// "1,3" -> {0, 2}; at most 64 columns, each from 1 to 64.
bool parseColumns(const std::string& text, std::vector<int>& columns) {
    columns.clear();
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos)
            comma = text.size();
        int column = 0;
        if (!parseNumber(text.substr(pos, comma - pos), column, 1, kSheetMaxColumns) ||
            columns.size() == static_cast<std::size_t>(kSheetMaxColumns))
            return false;
        columns.push_back(column - 1);
        pos = comma + 1;
    }
    return !columns.empty();
}

constexpr const char* kAlone = "--check, --import-list, --export-winners, --pack and --unpack go alone";

CommandLine refused(std::string why) {
    CommandLine line;
    line.action = CommandLine::Action::Usage;
    line.error = std::move(why);
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool checkOnly = false;  // an option that only means something with --check
    bool importOnly = false; // one that only means something with --import-list
    auto setAction = [&line](CommandLine::Action action) {
        if (line.action != CommandLine::Action::Run)
            return false;
        line.action = action;
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0)
            continue;
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--check") {
            if (!setAction(CommandLine::Action::Check))
                return refused(kAlone);
        } else if (arg == "--import-list" || arg == "--export-winners") {
            if (!setAction(arg == "--import-list" ? CommandLine::Action::ImportList
                                                  : CommandLine::Action::ExportWinners))
                return refused(kAlone);
            if (!value(text) || text.empty())
                return refused(arg + " needs a file");
            line.file = text;
        } else if (arg == "--pack" || arg == "--unpack") {
            if (!setAction(arg == "--pack" ? CommandLine::Action::Pack : CommandLine::Action::Unpack))
                return refused(kAlone);
            if (!value(text) || text.empty())
                return refused(arg + " needs a file");
            line.file = text;
        } else if (arg == "--sheet") {
            if (!value(line.sheet) || line.sheet.empty())
                return refused("--sheet needs a sheet's name");
            importOnly = true;
        } else if (arg == "--header") {
            line.header = importOnly = true;
        } else if (arg == "--columns") {
            if (!value(text) || !parseColumns(text, line.columns))
                return refused("--columns needs column numbers from 1, like 1,3");
            importOnly = true;
        } else if (arg == "--json") {
            line.json = checkOnly = true;
        } else if (arg == "--data") {
            if (!value(text) || text.empty())
                return refused("--data needs a folder");
            line.data = text;
        } else if (arg == "--folder") {
            if (!value(text) || text.empty())
                return refused("--folder needs a folder");
            line.folder = text;
        } else if (arg == "--dry-runs") {
            if (!value(text) || !parseNumber(text, line.dryRuns, 0, 1'000'000))
                return refused("--dry-runs needs a number from 0 to 1000000");
            checkOnly = true;
        } else if (arg == "--screen") {
            const std::size_t x = value(text) ? text.find('x') : std::string::npos;
            if (x == std::string::npos || !parseNumber(text.substr(0, x), line.screenWidth, 320, 16384) ||
                !parseNumber(text.substr(x + 1), line.screenHeight, 240, 16384))
                return refused("--screen needs a size like 1920x1080");
            checkOnly = true;
        } else if (arg == "--seed") {
            if (!value(text) || !parseNumber<std::uint32_t>(text, line.seed, 0, UINT32_MAX))
                return refused("--seed needs a number from 0 to 4294967295");
            checkOnly = true;
        } else {
            return refused(std::string("unknown option ").append(arg));
        }
    }
    if (checkOnly && line.action != CommandLine::Action::Check)
        return refused("--json, --screen, --dry-runs and --seed go with --check");
    if (importOnly && line.action != CommandLine::Action::ImportList)
        return refused("--sheet, --columns and --header go with --import-list");
    return line;
}

std::string usageText() {
    return "usage: kelvora [--folder DIR] [--data DIR]\n"
           "       kelvora --check [--data DIR] [--screen WxH] [--dry-runs N] [--seed S] [--json]\n"
           "\n"
           "  --folder DIR  installed from a package: the program folder to set up and run from, instead of\n"
           "                ~/.local/share/kelvora (goes with every option below)\n"
           "  --data DIR    the folder holding the program's data (default: the program's folder)\n"
           "  --check       check the event in the data folder before the show: prizes against the name\n"
           "                list, black and white lists, the saved draw, and N dry runs of the whole event\n"
           "                (default 1000) with Caps Lock on; exits 1 when it finds an error\n"
           "  --screen WxH  the draw screen's size for the names that must fit (default: the primary "
           "screen,\n"
           "                1920x1080 without a display)\n"
           "  --seed S      the dry runs' random seed (default 1)\n"
           "  --json        the report as JSON\n"
           "\n"
           "       kelvora --import-list FILE [--sheet NAME] [--columns 1,3] [--header] [--data DIR]\n"
           "       kelvora --export-winners FILE.xlsx [--data DIR]\n"
           "\n"
           "  --import-list FILE  replace the name list with the names in an .xlsx, .ods, .csv or .txt file, "
           "as\n"
           "                      the import dialog does (no alignment); refused during a draw; close the\n"
           "                      program first\n"
           "  --sheet NAME        the workbook's sheet to read (default: the first)\n"
           "  --columns 1,3       the columns to keep, in this order (default: all)\n"
           "  --header            the first row holds column titles and is left out\n"
           "  --export-winners F  write the winners of the draw in progress as a workbook (.xlsx)\n"
           "\n"
           "       kelvora --pack FILE.kelvora [--data DIR]\n"
           "       kelvora --unpack FILE.kelvora [--data DIR]\n"
           "\n"
           "  --pack FILE    write the whole event (settings, lists, pictures, music, the draw's progress)\n"
           "                 into one package file\n"
           "  --unpack FILE  check a package and make it the event of the data folder; the data it replaces\n"
           "                 goes into a dated backup folder; refused during a draw; close the program "
           "first\n";
}

bool displayReachable() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true; // the caller chose
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

int runCheck(const CommandLine& line, const std::filesystem::path& programFolder, int& argc, char** argv) {
    if (line.screenWidth > 0 || !displayReachable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    NameFitScreen screen;
    if (line.screenWidth > 0) {
        screen.width = line.screenWidth;
        screen.height = line.screenHeight;
    } else if (QScreen* primary = QGuiApplication::primaryScreen();
               primary && qgetenv("QT_QPA_PLATFORM") != "offscreen") {
        screen.width = primary->geometry().width();
        screen.height = primary->geometry().height();
        screen.logicalDpiY = static_cast<int>(primary->logicalDotsPerInchY());
    }

    const DataPaths paths(line.data.empty() ? programFolder : line.data);
    EventCheckOptions options;
    options.dryRun.runs = line.dryRuns;
    options.dryRun.seed = line.seed;
    options.probe = pictureProblem;
    options.musicProbe = musicProblem;
    EventCheck check = checkEvent(paths, options);
    if (check.textMode) {
        reportNameFit(findOverflowingNames(check.look, check.prizes, check.names, check.spaceAligned, screen),
                      check.prizes, screen, check.findings);
        sortFindings(check.findings);
    }
    if (line.json) {
        std::fputs(findingsJson(check.findings).c_str(), stdout);
    } else {
        for (const Finding& finding : check.findings)
            std::printf("%s\n", toUtf8(findingLine(finding)).c_str());
        for (const DryRunResult* result : {&check.dryRun, &check.dryRunCapsOff})
            for (const std::u16string& line : dryRunOddsLines(*result, result == &check.dryRun))
                std::printf("试抽 %s\n", toUtf8(line).c_str());
        std::printf("%s\n", toUtf8(formatText(u"检查完毕: %s 个问题，试抽 %s 次",
                                              {decimalText(static_cast<long long>(check.findings.size())),
                                               decimalText(check.dryRun.runs)}))
                                .c_str());
    }
    return hasErrors(check.findings) ? 1 : 0;
}

namespace {

std::tm localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

void printError(std::u16string_view text) {
    std::fprintf(stderr, "%s\n", toUtf8(text).c_str());
}

int importList(const DataPaths& paths, const CommandLine& line) {
    SheetListImportRequest request;
    request.file = line.file;
    request.sheet = fromUtf8(line.sheet);
    request.choice.columns = line.columns;
    request.choice.header = line.header;
    const SheetListImportOutcome outcome = importSheetIntoList(paths, request);
    for (const std::u16string& message : outcome.messages)
        printError(message);
    if (!outcome.imported)
        return 1;
    std::printf("%s\n", toUtf8(formatText(u"已导入 %s 条名单", {decimalText(outcome.entries)})).c_str());
    if (outcome.duplicates > 0)
        std::printf("%s\n",
                    toUtf8(formatText(u"已去除的重复行: %s 行", {decimalText(outcome.duplicates)})).c_str());
    return 0;
}

int exportWinners(const DataPaths& paths, const CommandLine& line) {
    PrizeList prizes;
    std::optional<DrawProgress> progress;
    FileResult read = loadPrizes(paths, prizes);
    if (read)
        read = loadProgress(paths, prizes, progress);
    if (!read) {
        printError(messageText(read));
        return 1;
    }
    if (!progress) {
        printError(kDrawNotStartedText);
        return 1;
    }
    // The mode the program would draw in; a missing or broken mode file means picture mode there too.
    DrawMode mode;
    (void)loadDrawMode(paths, mode);
    const XlsxWriteResult written =
        writeWinnersWorkbook(line.file, progress->winners, progress->pool, !mode.isTextMode());
    if (!written.failure) {
        printError(messageText(written.failure));
        return 1;
    }
    printError(kExportSucceededText);
    return 0;
}

} // namespace

int runSheetCommand(const CommandLine& line, const std::filesystem::path& programFolder) {
    const DataPaths paths(line.data.empty() ? programFolder : line.data);
    return line.action == CommandLine::Action::ImportList ? importList(paths, line)
                                                          : exportWinners(paths, line);
}

int runPackageCommand(const CommandLine& line, const std::filesystem::path& programFolder) {
    const DataPaths paths(line.data.empty() ? programFolder : line.data);
    const std::tm now = localTime();
    if (line.action == CommandLine::Action::Pack) {
        const PackResult packed = packEvent(paths, line.file, KELVORA_VERSION, nullptr, {});
        if (!packed.failure.ok()) {
            printError(packageFailureText(packed.failure));
            return 1;
        }
        printError(
            formatText(u"活动已打包: %s (%s 个文件)", {pathText(line.file), decimalText(packed.files)}));
        return 0;
    }
    if (summarizeEvent(paths).drawStarted) {
        printError(kUnpackDuringDrawText);
        return 1;
    }
    StageResult staged = stagePackage(line.file, paths, nullptr, {});
    if (!staged.failure.ok()) {
        printError(packageFailureText(staged.failure));
        return 1;
    }
    printError(summaryText(staged.staged.summary));
    const InstallResult installed = installStagedPackage(staged.staged, paths, now);
    if (!installed.failure) {
        discardStagedPackage(staged.staged);
        printError(messageText(installed.failure));
        return 1;
    }
    printError(formatText(u"活动包已打开。原来的数据已移到: %s", {pathText(installed.backup)}));
    return 0;
}

} // namespace kelvora
