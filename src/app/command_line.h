#pragma once
// The program's own command-line options, one parser for all of them. An option that runs a feature without
// a window prints to standard output and standard error and gives the exit code; without one the program
// starts as usual. Arguments with a single dash are Qt's (-platform, -display) and are left to it.
//
//   kelvora --check [--data DIR] [--screen WxH] [--dry-runs N] [--seed S] [--json]
//   kelvora --import-list FILE [--sheet NAME] [--columns 1,3] [--header] [--data DIR]
//   kelvora --export-winners FILE.xlsx [--data DIR]
//   kelvora --pack FILE.kelvora [--data DIR]
//   kelvora --unpack FILE.kelvora [--data DIR]
//   kelvora --folder DIR [any of the above]   (a shared install: the user's program folder to run from)

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvora {

struct CommandLine {
    enum class Action { Run, Check, ImportList, ExportWinners, Pack, Unpack, Usage };
    Action action = Action::Run;
    std::string error; // why the arguments were not understood (Usage)

    std::filesystem::path data;   // --data: the program's folder when empty
    std::filesystem::path folder; // --folder: a shared install's program folder other than the user's own
    int dryRuns = 1000;
    std::uint32_t seed = 1;
    bool json = false;
    int screenWidth = 0; // --screen; 0: the primary screen, or 1920x1080 without a display
    int screenHeight = 0;

    std::filesystem::path file; // --import-list, --export-winners, --pack, --unpack
    std::string sheet;          // --sheet (UTF-8)
    std::vector<int> columns;   // --columns, 0-based
    bool header = false;        // --header
};

// args without the program's name.
CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string usageText();

// Whether a display can be reached (or QT_QPA_PLATFORM names the platform): asking Qt to connect to one that
// is not there ends the process.
bool displayReachable();

// --check: the report on standard output (plain text, or JSON), 1 when it found an error, 0 otherwise. Makes
// the GUI application that measuring names needs (offscreen without a display); the font aliases must be
// loaded before.
int runCheck(const CommandLine& line, const std::filesystem::path& programFolder, int& argc, char** argv);

// --import-list and --export-winners: messages on standard error, 0 when the file was imported or written.
int runSheetCommand(const CommandLine& line, const std::filesystem::path& programFolder);

// --pack and --unpack: the event package of the data folder, with the dialogs' messages on standard error;
// 0 when the package was written or opened. --unpack asks nothing: it is refused during a draw, and the
// data it replaces goes into a dated backup folder as in the program.
int runPackageCommand(const CommandLine& line, const std::filesystem::path& programFolder);

} // namespace kelvora
