#pragma once
// From a sheet to the name list. The import dialog's "从文件导入..." turns the chosen cells into the dialog's
// text exactly as if they had been pasted (cells joined by tabs, one row a line), so the column alignment,
// the duplicate report, the limits and the progress of a paste all apply unchanged. The command line's
// --import-list goes the same way without a window, with the dialog's defaults.

#include <filesystem>
#include <string>
#include <vector>

#include "records/data_paths.h"
#include "settings/list_import.h"
#include "sheets/sheet_table.h"
#include "sheets/text_table.h"

namespace kelvora {

struct SheetImportChoice {
    std::vector<int> columns; // 0-based, in the order they go into a line; empty: every column
    bool header = false;      // the first row holds column titles and is left out
};

struct SheetImportText {
    std::u16string text;  // rows joined by LF
    int rows = 0;         // lines in text
    bool tooMany = false; // more than 30000 rows: the first 30000 are in text ("最多读取3万行")
};

SheetImportText sheetImportText(const Sheet& sheet, const SheetImportChoice& choice);

// Whether the first row looks like column titles ("姓名", "部门", "工号"...) rather than a first entrant.
bool looksLikeHeader(const Sheet& sheet);

// --import-list FILE [--sheet NAME] [--columns 1,3] [--header]
struct SheetListImportRequest {
    std::filesystem::path file;
    std::u16string sheet; // empty: the first
    SheetImportChoice choice;
};

struct SheetListImportOutcome {
    bool imported = false;
    std::vector<std::u16string> messages; // what the dialog would have shown, in order
    int entries = 0;
    int duplicates = 0;
};

// Replaces the text name list of the event in paths with the file's names, as "重新导入..." and the import
// dialog do with no alignment: refused while a draw is in progress, the list file untouched on any failure.
SheetListImportOutcome importSheetIntoList(const DataPaths& paths, const SheetListImportRequest& request);

} // namespace kelvora
