#pragma once
// "从文件导入": a spreadsheet or text file for the list import. It shows the first rows of the chosen sheet,
// lets the operator pick the sheet, the encoding and separator of a text file, the columns to keep and
// whether the first row holds titles, and gives back the kept cells as the import dialog's text.

#include <filesystem>
#include <optional>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "sheets/sheet_import.h"
#include "sheets/sheet_table.h"
#include "ui/centered_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

namespace kelvora {

class SheetPreviewModel;

class SheetImportDialog : public CenteredDialog {
    Q_OBJECT
public:
    SheetImportDialog(std::filesystem::path file, Workbook book, MessageBox& messages, QWidget* parent);

    SheetImportText chosenText() const;
    SheetPreviewModel& model() { return *m_model; }

    // The file picker, the read and this dialog in one call: the text for the import box, or nothing when
    // the operator cancelled or the file could not be read (its message has been shown).
    static std::optional<SheetImportText> ask(QWidget* owner, FilePicker& files, MessageBox& messages);

private:
    const Sheet* currentSheet() const;
    void showSheet();
    void rereadText();
    void updateSummary();
    void confirm();

    std::filesystem::path m_file;
    Workbook m_book;
    MessageBox& m_messages;
    SheetPreviewModel* m_model;
    QComboBox* m_sheets;
    QComboBox* m_encoding;
    QComboBox* m_separator;
    QCheckBox* m_header;
    QTableView* m_table;
    QLabel* m_summary;
};

} // namespace kelvora
