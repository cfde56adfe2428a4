#pragma once
// The two zipped workbook formats: Office Open XML (.xlsx) and OpenDocument (.ods). Both are zip archives of
// XML parts, read with QuaZip and QXmlStreamReader. A cell reads as the sheet shows it: shared and inline
// strings as stored (a staff number "00123" stored as text keeps its zeros), numbers without a spurious
// ".0", dates in the sheet's date form, a merged area filled with its top-left cell's text. Hostile archives
// stop with a failure, never with a long wait or a large allocation: the unpacked bytes are counted as they
// come (a zip's stated sizes can lie), a document type declaration is refused (so no entity can expand), and
// rows and columns are bounded (sheet_table.h).

#include <filesystem>
#include <string_view>

#include "sheets/sheet_table.h"

namespace kelvora {

// Every sheet of the workbook, in the workbook's order. kind is Xlsx or Ods.
Workbook readZipWorkbook(const std::filesystem::path& file, SheetFileKind kind);
// The same from the file's bytes (tests and the fuzzer).
Workbook readZipWorkbookBytes(std::string_view bytes, SheetFileKind kind);

} // namespace kelvora
