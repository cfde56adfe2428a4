#pragma once
// The one protocol every settings file is read and written by: defaults first, stray files and folders of the
// same name removed, attributes made normal, size limit, absent or empty = defaults without a failure, every
// field checked as it is read, exact length, and a result that says what went wrong when anything fails.
// Writes go to a temporary file in the same folder that is synced and renamed over the target, so a crash or
// a full disk never leaves a half-written settings file nor loses the previous one.

#include <cstdint>
#include <filesystem>
#include <functional>

#include "records/byte_io.h"
#include "records/file_result.h"
#include "records/file_system.h"

namespace kelvora {

struct SettingsFileLocation {
    std::filesystem::path file;           // absolute path of the settings file
    std::filesystem::path settingsFolder; // "参数设置(勿删)"
    std::filesystem::path subFolder;      // its own sub-folder ("奖项", "界面", ...) or empty
    std::uint64_t sizeLimitMiB = 1;       // deleted silently at or over this size
    bool skipFolderChecks = false;        // the windowed settings' reader skips the stray-folder steps
};

// Parses the whole file image. Returns false when a field is out of range (or the reader ran short); the
// protocol itself checks that every byte was consumed.
using RecordParser = std::function<bool(ByteReader&)>;
using RecordSerializer = std::function<void(ByteWriter&)>;

// Succeeds when the record holds the file's contents or its defaults (no usable file). On failure the record
// is back at its defaults, the result says why (a Read result naming the file), and the file is kept under
// the result's keptAs before the first save replaces it.
FileResult loadSettingsFile(const SettingsFileLocation& location,
                            const std::function<void()>& resetToDefaults, const RecordParser& parse);

// Succeeds when the whole file was written. On failure the previous file is unchanged and the Write result
// names the settings file, even when it was the temporary file beside it that failed.
FileResult saveSettingsFile(const SettingsFileLocation& location, const RecordSerializer& serialize);

// Copies an operator's file into a data folder under destination's name, replacing a file of that name. When
// source already is destination nothing is copied. On failure the previous destination file, if any, is
// unchanged and the Copy result names both files. SyncEach::No leaves the copy's durability to its caller.
FileResult copyIntoDataFolder(const std::filesystem::path& source, const std::filesystem::path& destination,
                              SyncEach sync = SyncEach::Yes);

} // namespace kelvora
