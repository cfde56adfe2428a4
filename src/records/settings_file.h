#pragma once
// The one protocol every settings file is read and written by: defaults first, stray files and folders of the
// same name removed, attributes made normal, size limit, absent or empty = defaults without a message, every
// field checked as it is read, exact length, and the operator told in the fixed wording when anything fails.
// Writes go to a temporary file in the same folder that is synced and renamed over the target, so a crash or
// a full disk never leaves a half-written settings file nor loses the previous one.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "records/byte_io.h"

namespace kelvora {

struct SettingsFileLocation {
    std::filesystem::path file;           // absolute path of the settings file
    std::filesystem::path settingsFolder; // "参数设置(勿删)"
    std::filesystem::path subFolder;      // its own sub-folder ("奖项", "界面", ...) or empty
    std::uint64_t sizeLimitMiB = 1;       // deleted silently at or over this size
    bool skipFolderChecks = false;        // the windowed settings' reader skips the stray-folder steps
};

// The hint that ends a file-failure message when permission was denied inside the program's own folders, and
// the one for a place the operator chose.
inline constexpr std::u16string_view kAdminHint =
    u"\n\n\n解决方法:\n1. 移动整个软件到别的目录\n2. 或尝试以管理员身份运行";
inline constexpr std::u16string_view kWriteAccessHint = u"\n\n\n请检查是否有写入权限";

// Parses the whole file image. Returns false when a field is out of range (or the reader ran short); the
// protocol itself checks that every byte was consumed.
using RecordParser = std::function<bool(ByteReader&)>;
using RecordSerializer = std::function<void(ByteWriter&)>;

// Returns true when the record holds the file's contents or its defaults (no usable file), false after a
// failure that was reported through messages (the record is back at its defaults then).
bool loadSettingsFile(const SettingsFileLocation& location, const std::function<void()>& resetToDefaults,
                      const RecordParser& parse, MessageBox& messages, OwnerWindow owner);

// Returns true when the whole file was written; false after a reported failure, the previous file unchanged.
bool saveSettingsFile(const SettingsFileLocation& location, const RecordSerializer& serialize,
                      MessageBox& messages, OwnerWindow owner);

// Copies an operator's file into a data folder under destination's name, replacing a file of that name. When
// source already is destination nothing is copied. A failure is shown to the operator and returns false; the
// previous destination file, if any, is unchanged then.
bool copyIntoDataFolder(const std::filesystem::path& source, const std::filesystem::path& destination,
                        MessageBox& messages, OwnerWindow owner);

} // namespace kelvora
