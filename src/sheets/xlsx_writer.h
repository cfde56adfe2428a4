#pragma once
// Writes a workbook of plain text sheets, zipped with QuaZip: every cell a string (so "00123" and long
// numbers stay as typed), the first row a bold header frozen in place, column widths that fit the widest text
// with a Chinese character counting two. The file is written under a temporary name beside the target, synced
// and renamed over it, so that the target holds its old bytes or all of the new ones.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "records/file_result.h"

namespace kelvora {

struct SheetOut {
    std::u16string name;                           // made a valid, unique sheet name by the writer
    std::vector<std::vector<std::u16string>> rows; // rows[0] is the header
};

struct XlsxWriteResult {
    FileResult failure;     // a Write failure on the target ("写文件失败"), or success
    bool cancelled = false; // the target was not touched
};

// Rows written of all rows, now and then; cancelled() is asked as often and stops the write.
using XlsxProgressFn = std::function<void(int done, int total)>;
using XlsxCancelFn = std::function<bool()>;

XlsxWriteResult writeXlsx(const std::filesystem::path& file, const std::vector<SheetOut>& sheets,
                          const XlsxCancelFn& cancelled = {}, const XlsxProgressFn& progress = {});

// An Excel sheet name for text: at most 31 characters, none of []:*?/\, not empty, not starting or ending
// with an apostrophe, and not equal (ignoring case) to one in taken.
std::u16string sheetNameFor(std::u16string_view text, const std::vector<std::u16string>& taken);

// The column width (in Excel's character units) that shows text: a wide (CJK) character counts two.
double columnWidthFor(std::u16string_view text);

} // namespace kelvora
