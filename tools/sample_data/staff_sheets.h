#pragma once
// A generated staff list as the operator gets one from HR, to try the list import's "从文件导入...": an
// Excel workbook and the CSV a Chinese Excel saves (GB18030), both with a header row 姓名, 部门, 工号, 手机.

#include <filesystem>

namespace kelvora::sample {

// Writes "员工名单.xlsx" and "员工名单.csv" into folder (created when missing); false with a message on
// standard error when a file could not be written.
bool writeStaffSheets(const std::filesystem::path& folder, int count);

} // namespace kelvora::sample
