#pragma once
// The program keeps every file of an event beside its executable, so a package's shared install (under
// /usr/lib, owned by root) is never run in place. A start of the shared copy goes through a program folder
// of the user's own instead: it is brought up to date with the installed program and built-in resources,
// given the sample event the first time, and the program is run from there. The user's data in it is never
// touched, by a start or by an upgrade.

#include <filesystem>
#include <string>
#include <vector>

#include "records/file_result.h"

namespace kelvora {

// The file that marks a program folder as a shared install, and the folder of the event a new program folder
// starts with.
inline constexpr char8_t kSharedInstallMarker[] = u8"系统安装.txt";
inline constexpr char8_t kSampleEventFolder[] = u8"示例活动";

// True when programFolder holds the marker of a shared install.
bool isSharedInstall(const std::filesystem::path& programFolder);

// "$XDG_DATA_HOME/kelvora", or "$HOME/.local/share/kelvora" when XDG_DATA_HOME is unset, empty or relative
// (a relative one is to be ignored). Empty when neither gives an absolute folder.
std::filesystem::path defaultUserFolder(const char* xdgDataHome, const char* home);

enum class FolderFault {
    None,
    InsideInstall,    // the folder is the shared install, or inside it
    NotProgramFolder, // neither empty nor a program folder: an operator's folder we must not litter
    NotSharedInstall, // --folder given to a program that is not a shared install
    Create,           // a folder could not be made (FileResult in file)
    Copy,             // the program, a built-in resource or the sample could not be copied (file)
    Start,            // the prepared program could not be started (file.path, file.errnum)
};

struct FolderResult {
    FolderFault fault = FolderFault::None;
    std::filesystem::path folder; // the program folder concerned
    FileResult file;              // the file failure of Create and Copy
    int filesCopied = 0;          // the program and built-in resources that were missing or differed
    bool sampleAdded = false;

    explicit operator bool() const { return fault == FolderFault::None; }
};

// The operator's message for a failure; empty for a success.
std::u16string folderFailureText(const FolderResult& result);

// Brings target up to date from the shared install in source: the program file programName and every file
// of "内置资源" are copied where missing or different (each through an atomic replace, so a program that runs
// from target meanwhile keeps its own copy); when target holds no event yet, the sample event's folders are
// put in, staged first and moved in whole, settings last. Everything else in target stays as it is.
FolderResult prepareProgramFolder(const std::filesystem::path& source, const std::filesystem::path& target,
                                  const std::filesystem::path& programName);

// The arguments without "--folder DIR": what the program in the prepared folder gets.
std::vector<std::string> withoutFolderOption(const std::vector<std::string>& args);

} // namespace kelvora
