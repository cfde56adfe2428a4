#pragma once
// The event package: a whole event in one file ("<title>-<yyyymmdd-hhmm>.kelvora", a zip), to carry it to a
// standby computer and go on with the draw there. Packing zips the event's files as listEventFiles finds
// them, with "manifest.json" last. Taking a package in is two steps so that the operator sees what comes in
// before anything changes: stagePackage checks the whole package and unpacks it into a staging folder beside
// the data, and installStagedPackage swaps the staged folders in, keeping the old ones in a dated backup
// folder. Whatever fails or is cancelled on the way leaves the data folders as they were.
//
// Whether a package may come in now (not during a draw) is the caller's to decide: it knows the live draw.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "records/data_paths.h"
#include "records/file_result.h"
#include "standby/event_summary.h"
#include "standby/package_manifest.h"

namespace kelvora {

inline constexpr std::u16string_view kPackageExtension = u".kelvora";

enum class PackageFault : std::uint8_t {
    None,
    File,         // a read or write failed: file says which and why
    Cancelled,    // the operator cancelled; nothing was left behind
    Damaged,      // not a package, or it does not hold together: detail says how
    Checksum,     // a file's bytes are not those the manifest lists: detail is its path
    UnsafePath,   // an entry's name could lead outside the data folders: detail is the name
    SymbolicLink, // an entry is a symbolic link: detail is its name
    NewerFormat,  // made by a newer program: formatVersion
    NoSpace,      // neededBytes and freeBytes
};

struct PackageFailure {
    PackageFault fault = PackageFault::None;
    FileResult file;
    std::u16string detail;
    int formatVersion = 0;
    std::uint64_t neededBytes = 0;
    std::uint64_t freeBytes = 0;

    bool ok() const { return fault == PackageFault::None; }
};

// The operator's message for a failure; empty for none.
std::u16string packageFailureText(const PackageFailure& failure);

// Progress in files done of all files; the cancel flag is read as often.
using PackageProgressFn = std::function<void(int done, int total)>;

struct PackResult {
    PackageFailure failure;
    int files = 0;
    std::uint64_t bytes = 0; // of the files, unpacked
};

// Packs the event's settings and progress into target. The package is written under a temporary name beside
// target and takes its name only when complete and on the disk: after a failure or a cancel there is neither
// a package nor a temporary file.
PackResult packEvent(const DataPaths& paths, const std::filesystem::path& target,
                     std::string_view programVersion, const std::atomic<bool>* cancel,
                     const PackageProgressFn& progress);

// "<main title>-<yyyymmdd-hhmm>.kelvora": characters a file name cannot hold ("/", NUL, control characters)
// become "_", a title without text becomes "活动", and a long title is cut so that the name stays within
// what a file system allows.
std::u16string packageFileName(std::u16string_view mainTitle, const std::tm& now);

// What stagePackage accepts at most, and the room it wants on the disk besides the files.
struct PackageLimits {
    std::size_t maxEntries = 200000;
    std::uint64_t maxTotalBytes = std::uint64_t{64} << 30;
    std::uint64_t spaceMargin = std::uint64_t{64} << 20;
};

struct StagedPackage {
    std::filesystem::path folder; // "<root>/活动包.导入中-XXXXXX", holding the package's data folders
    PackageManifest manifest;
    EventSummary summary; // read from the staged folders
};

struct StageResult {
    PackageFailure failure;
    StagedPackage staged; // valid only on success
};

// Checks package whole (the manifest first, then every entry's name, kind and size against it, then the
// free space) and unpacks it into a fresh staging folder in paths.root, each file hashed as it comes. A
// staging folder left by a crash goes first. On any failure the staging folder is removed again: nothing in
// paths.root changed.
StageResult stagePackage(const std::filesystem::path& package, const DataPaths& paths,
                         const std::atomic<bool>* cancel, const PackageProgressFn& progress,
                         const PackageLimits& limits = {});

struct InstallResult {
    FileResult failure;           // a Write result naming the rename that failed
    std::filesystem::path backup; // where the data folders that were replaced went; empty if none was
};

// Moves the present data folders into "<root>/活动备份-<yyyymmdd-hhmmss>" (a free name beside it when taken),
// then the staged ones into their place, and removes the staging folder. If a step fails, everything is put
// back where it was and the staged package stays for a retry or a discard.
InstallResult installStagedPackage(const StagedPackage& staged, const DataPaths& paths, const std::tm& now);

// Removes the staging folder.
void discardStagedPackage(const StagedPackage& staged);

} // namespace kelvora
