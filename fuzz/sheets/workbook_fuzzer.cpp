// The .xlsx and .ods readers over arbitrary bytes; the first byte picks the kind (even .xlsx, odd .ods). A
// file must read within the limits or fail with a fault, never crash, hang or over-allocate, and what it
// reads must keep the sheet's promises: rows in order, each with text in its last cell, no tab or line break
// in a cell.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheets/zip_workbook.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const SheetFileKind kind = data[0] % 2 ? SheetFileKind::Ods : SheetFileKind::Xlsx;
    const Workbook book =
        readZipWorkbookBytes(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), kind);
    if (book.failure.has_value() != book.sheets.empty())
        std::abort();
    for (const Sheet& sheet : book.sheets) {
        if (sheet.rows.size() > static_cast<std::size_t>(kSheetMaxRows))
            std::abort();
        int previous = 0;
        for (const SheetRow& row : sheet.rows) {
            const std::size_t width = row.cells.size();
            if (row.number <= previous || width == 0 || width > static_cast<std::size_t>(sheet.columnCount) ||
                row.cells.back().empty())
                std::abort();
            previous = row.number;
            for (const std::u16string& cell : row.cells)
                if (cell.find_first_of(u"\t\r\n") != std::u16string::npos)
                    std::abort();
        }
        if (sheet.columnCount > kSheetMaxColumns)
            std::abort();
    }
    return 0;
}
