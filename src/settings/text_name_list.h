#pragma once
// The list of text entrants (names, numbers, seats) drawn in text mode, its file, and its export to a text
// file.

#include <cstdint>
#include <filesystem>
#include <span>

#include "records/byte_io.h"
#include "records/data_paths.h"
#include "records/entrant.h"
#include "records/file_result.h"
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

FileResult loadTextNameList(const DataPaths& paths, TextNameList& list);
// The caller keeps the list within 30000 entries, or the file would not read back.
FileResult saveTextNameList(const DataPaths& paths, const TextNameList& list);

// What the operator is told when an export has been written.
inline constexpr std::u16string_view kExportDoneText = u"导出成功";

// Writes the names to a file the operator chose: UTF-16LE with the byte-order mark, one name and CR LF per
// entry in list order. A failed export leaves a file that was already there unchanged; its Write result is
// marked as outside the program's folders, so its hint asks for write permission.
FileResult exportTextListFile(const std::filesystem::path& file, std::span<const Entrant> entries);

} // namespace kelvora
