#include "sheets/sheet_file.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/text.h"
#include "sheets/zip_workbook.h"

namespace kelvora {

SheetFileKind sheetFileKind(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".xlsx" || extension == ".xlsm")
        return SheetFileKind::Xlsx;
    if (extension == ".ods")
        return SheetFileKind::Ods;
    return SheetFileKind::Text;
}

Workbook readSheetFile(const std::filesystem::path& file, const TextTableOptions& options) {
    const SheetFileKind kind = sheetFileKind(file);
    if (kind == SheetFileKind::Text)
        return readTextTable(file, options);
    return readZipWorkbook(file, kind);
}

const Sheet* findSheet(const Workbook& book, std::u16string_view name) {
    if (name.empty())
        return book.sheets.empty() ? nullptr : &book.sheets.front();
    for (const Sheet& sheet : book.sheets)
        if (equalsIgnoreCase(sheet.name, name))
            return &sheet;
    return nullptr;
}

std::u16string sheetFailureText(const SheetFailure& failure, const std::filesystem::path& file) {
    const std::u16string path = file.u16string();
    switch (failure.fault) {
    case SheetFault::Unreadable:
        return messageText(failure.io);
    case SheetFault::NotWorkbook:
        return formatText(u"不是有效的表格文件:\n%s\n\n可导入 .xlsx、.ods、.csv 和 .txt 文件", {path});
    case SheetFault::Damaged:
        return formatText(u"表格文件已损坏，无法读取:\n%s", {path});
    case SheetFault::OldFormat:
        return formatText(u"无法读取此文件:\n%s\n\n这是旧版 .xls 文件或有密码保护的文件，"
                          u"请在 Excel 中去除密码并另存为 .xlsx 后再导入",
                          {path});
    case SheetFault::TooLarge:
        return formatText(u"表格文件太大:\n%s\n\n最多读取 100MB 的表格内容", {path});
    case SheetFault::NotText:
        return formatText(u"不是文本文件:\n%s\n\n表格请另存为 .xlsx 或 .csv 后再导入", {path});
    case SheetFault::NoSheet:
        return formatText(u"表格中没有工作表:\n%s", {path});
    }
    return path;
}

} // namespace kelvora
