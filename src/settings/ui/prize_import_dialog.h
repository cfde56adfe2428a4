#pragma once
// "从表格导入": a prize table read from a spreadsheet, shown before it replaces the current one. A table with
// refused rows is not offered at all: the operator is told which rows and why, and fixes the sheet.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "records/prizes.h"
#include "ui/centered_dialog.h"

namespace kelvora {

class PrizeImportPreviewDialog : public CenteredDialog {
    Q_OBJECT
public:
    // The table to be imported, the notes on its rows and the question; "替换" accepts.
    PrizeImportPreviewDialog(const PrizeList& prizes, const std::vector<std::u16string>& notes,
                             const std::u16string& question, QWidget* parent);
};

// Picks the file, reads its sheet (the one called "奖项", else the first), checks every row and shows the
// preview: the new table when the operator chose to replace, nothing otherwise.
std::optional<PrizeList> askPrizeSheet(QWidget* owner, const PrizeList& current,
                                       const std::filesystem::path& prizeFolder, MessageBox& messages,
                                       FilePicker& files);

} // namespace kelvora
