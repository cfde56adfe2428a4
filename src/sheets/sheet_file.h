#pragma once
// One call for any spreadsheet the operator picks: the kind comes from the file's extension (.xlsx, .ods,
// .csv, .txt; anything else is read as text), and a file that is not what its name says fails with its own
// message rather than being guessed at.

#include <filesystem>
#include <string_view>

#include "sheets/sheet_table.h"
#include "sheets/text_table.h"

namespace kelvora {

// The open-file dialog's filter for the files readSheetFile takes.
inline constexpr std::u16string_view kSheetFileFilter =
    u"表格文件 (*.xlsx *.ods *.csv *.txt);;Excel 工作簿 (*.xlsx);;OpenDocument 表格 (*.ods);;"
    u"文本文件 (*.csv *.txt);;所有文件 (*)";

SheetFileKind sheetFileKind(const std::filesystem::path& file);

// options apply to text files only.
Workbook readSheetFile(const std::filesystem::path& file, const TextTableOptions& options = {});

// The sheet called name (ignoring letter case), or the first sheet when name is empty; nullptr when there is
// none of that name.
const Sheet* findSheet(const Workbook& book, std::u16string_view name);

} // namespace kelvora
