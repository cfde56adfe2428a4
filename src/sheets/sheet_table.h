#pragma once
// A spreadsheet as the program reads it, whatever file it came from (.xlsx, .ods, .csv, .txt): sheets of rows
// of cell texts, each cell the text the sheet shows. The readers keep only what an import can use, so that a
// hostile or oversized file costs a bounded amount of memory and time: rows without any text are left out,
// columns past kSheetMaxColumns are ignored, and a sheet stops after kSheetMaxRows rows with text.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/file_result.h"

namespace kelvora {

// 30000 names (the list's limit) and one header row.
inline constexpr int kSheetMaxRows = 30001;
// A staff list has a handful of columns; a sheet of thousands would only cost memory.
inline constexpr int kSheetMaxColumns = 64;
// What the readers unpack or load at most: a workbook's XML parts together, or a text file.
inline constexpr std::uint64_t kSheetMaxBytes = 100ull << 20;

struct SheetRow {
    int number = 0;                    // the row's number in the sheet, from 1
    std::vector<std::u16string> cells; // from column A; trailing empty cells are dropped, tabs and line
                                       // breaks inside a cell became spaces
};

struct Sheet {
    std::u16string name;
    std::vector<SheetRow> rows; // only rows with some text, in sheet order
    int columnCount = 0;        // the longest row's cell count
    bool truncated = false;     // more than kSheetMaxRows rows with text: the rest was not read
};

enum class SheetFileKind { Xlsx, Ods, Text };

// Why a file gave no sheets. Each has its own message (sheetFailureText).
enum class SheetFault {
    Unreadable,  // the file could not be opened or read: io holds what failed
    NotWorkbook, // not what its name says (a .xlsx that is no zip, a zip without a workbook)
    Damaged,     // a truncated or broken zip, XML that does not parse
    OldFormat,   // an OLE compound file: a .xls, or a workbook saved with a password
    TooLarge,    // over kSheetMaxBytes of file or unpacked XML
    NotText,     // a .csv or .txt that holds binary data
    NoSheet,     // a workbook without any sheet
};

struct SheetFailure {
    SheetFault fault = SheetFault::Damaged;
    FileResult io; // for Unreadable
};

struct Workbook {
    SheetFileKind kind = SheetFileKind::Xlsx;
    std::vector<Sheet> sheets;
    std::optional<SheetFailure> failure; // set when the file gave nothing; sheets is then empty
    // Text files only: the encoding and separator used ("UTF-8", "GB18030", "UTF-16LE", "UTF-16BE", "BIG5";
    // u',', u';', u'\t', or 0 when no separator was found and every line is one cell).
    std::string encoding;
    char16_t separator = 0;
};

// The operator's message for a failure, naming the file.
std::u16string sheetFailureText(const SheetFailure& failure, const std::filesystem::path& file);

} // namespace kelvora
