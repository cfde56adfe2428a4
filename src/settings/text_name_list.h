#pragma once
// The list of text entrants (names, numbers, seats) drawn in text mode, its file, and its export to a text
// file.

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/message_box.h"
#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/entrant.h"
#include "records/settings_file.h"

namespace kelvora {

struct TextNameList {
    EntrantList entries; // at most 30000; winOrder always 0
    // Nonzero when the last import padded columns with spaces; the screen then needs a monospaced face.
    std::int32_t spaceAligned = 0;
};

// "文字名单.dat": spaceAligned, a count, the entries.
SettingsFileLocation textListFileLocation(const DataPaths& paths);

// Parses a whole file image into list (which it replaces); names keep their stored keys, win orders become 0.
bool readTextNameList(ByteReader& in, TextNameList& list);
void writeTextNameList(ByteWriter& out, const TextNameList& list);

bool loadTextNameList(const DataPaths& paths, TextNameList& list, MessageBox& messages, OwnerWindow owner);
// The caller keeps the list within 30000 entries, or the file would not read back.
bool saveTextNameList(const DataPaths& paths, const TextNameList& list, MessageBox& messages,
                      OwnerWindow owner);

// Writes the names to a file the operator chose: UTF-16LE with the byte-order mark, one name and CR LF per
// entry in list order. Shows "导出成功" when done, or the write failure; a failed export leaves a file that
// was already there unchanged.
bool exportTextListFile(const std::filesystem::path& file, std::span<const Entrant> entries,
                        MessageBox& messages, OwnerWindow owner);

} // namespace kelvora
