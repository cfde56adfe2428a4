#pragma once
// The one protocol every settings file is read and written by: defaults first, stray files and folders of the
// same name removed, attributes made normal, size limit, absent or empty = defaults without a message, every
// field checked as it is read, exact length, and the operator told in the fixed wording when anything fails.
// Writes go to a temporary file in the same folder that is synced and renamed over the target, so a crash or a
// full disk never leaves a half-written settings file nor loses the previous one.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/message_box.h"
#include "settings/byte_io.h"

namespace kelvora {

struct SettingsFileSpec {
    std::filesystem::path file;           // absolute path of the settings file
    std::filesystem::path settingsFolder; // "参数设置(勿删)"
    std::filesystem::path subFolder;      // its own sub-folder ("奖项", "界面", ...) or empty
    std::uint64_t sizeLimitMiB = 1;       // deleted silently at or over this size
    bool skipFolderChecks = false;        // the windowed settings skip the stray-folder steps
};

// Parses the whole file image. Returns false when a field is out of range (or the reader ran short); the
// protocol itself checks that every byte was consumed.
using RecordParser = std::function<bool(ByteReader&)>;
using RecordSerializer = std::function<void(ByteWriter&)>;

// Returns true when the record holds the file's contents or its defaults (no usable file), false after a
// failure that was reported through messages (the record is back at its defaults then).
bool loadSettingsFile(const SettingsFileSpec& spec, const std::function<void()>& resetToDefaults,
                      const RecordParser& parse, MessageBox& messages, OwnerWindow owner);

// Returns true when the whole file was written; false after a reported failure, the previous file unchanged.
bool saveSettingsFile(const SettingsFileSpec& spec, const RecordSerializer& serialize, MessageBox& messages,
                      OwnerWindow owner);

} // namespace kelvora
