#pragma once
// The prize table as a spreadsheet: written with a header row and a sheet "说明" that explains each column,
// read back from any sheet the readers give (.xlsx, .ods, .csv). A read row goes through the add dialog's own
// rules (readPrizeFields: trimming, clamps, name checks), so an imported table holds nothing the dialog would
// refuse. A prize whose name matches one of the current table keeps that prize's black and white lists.

#include <filesystem>
#include <string>
#include <vector>

#include "records/prizes.h"
#include "sheets/sheet_table.h"
#include "sheets/xlsx_writer.h"

namespace kelvora {

// The sheets "奖项" (a header, then a row per prize; the header alone for an empty list, as a template) and
// "说明", without writing them (tests read them directly).
std::vector<SheetOut> prizeSheets(const PrizeList& prizes);

XlsxWriteResult writePrizeWorkbook(const std::filesystem::path& file, const PrizeList& prizes);

struct PrizeSheetRead {
    PrizeList prizes;                     // in sheet order, only when problems is empty
    std::vector<std::u16string> problems; // one line per refused row ("第3行: 奖项名含非法字符"), or why the
                                          // sheet gives no table at all
    std::vector<std::u16string> notes; // kept rows worth a look (a picture not in the prize folder)
    int keptLists = 0;                 // prizes that kept the lists of a prize of the same name
};

// A header row (its first cell "奖项") is skipped. current gives the lists to keep; prizeFolder is where the
// pictures must be.
PrizeSheetRead readPrizeSheet(const Sheet& sheet, const PrizeList& current,
                              const std::filesystem::path& prizeFolder);

} // namespace kelvora
