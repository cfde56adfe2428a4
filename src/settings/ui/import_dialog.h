#pragma once
// "抽奖名单 - 导入": the operator pastes lines (or generates numbers) into a text box; "对齐后导入..." asks
// for the column alignment, reads the lines, runs the import with its progress dialog and puts the entries
// into the text name list.

#include <QFont>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "settings/list_import.h"
#include "settings/text_name_list.h"
#include "ui/centered_dialog.h"

class QPlainTextEdit;

namespace kelvora {

// The steps the import dialog opens; the program uses the real dialogs, tests answer them directly.
struct ImportDialogSteps {
    std::function<std::optional<ImportSettings>(QWidget* owner)> askAlignment;
    std::function<ImportResult(QWidget* owner, std::vector<ImportLine> lines, const ImportSettings& settings)>
        runImport;
    std::function<void(QWidget* owner, const ImportResult& result)> showDuplicates;
    std::function<std::optional<std::vector<std::u16string>>(QWidget* owner)> generateNumbers;
    std::function<void()> minimizeProgram;
    // "从文件导入...": the chosen cells as pasted text, or nothing.
    std::function<std::optional<std::u16string>(QWidget* owner)> importFile;
};

// The real dialogs, measuring columns in measureFont.
ImportDialogSteps realImportSteps(MessageBox& messages, FilePicker& files, const QFont& measureFont);

class ImportDialog : public CenteredDialog {
    Q_OBJECT
public:
    // The measuring window (the text list editor) also owns the dialog.
    ImportDialog(QWidget* measureWindow, TextNameList& list, MessageBox& messages, ImportDialogSteps steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendGenerated();
    void fillFromFile();
    void importLines();

    TextNameList& m_list;
    MessageBox& m_messages;
    ImportDialogSteps m_steps;
    QPlainTextEdit* m_text;
};

// Minimises every visible window of the program, so that the operator can copy from another program.
void minimizeProgramWindows();

// Runs the import dialog over list; true when entries were imported. The text list editor calls it through
// its ImportListHook.
bool runImportDialog(QWidget* measureWindow, TextNameList& list, MessageBox& messages, FilePicker& files);

} // namespace kelvora
