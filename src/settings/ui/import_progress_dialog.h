#pragma once
// "正在导入...": the list import on a worker thread, and the column measure it uses. The import's result is
// read after the thread has ended.

#include <QFont>
#include <QObject>

#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

#include "settings/list_import.h"
#include "ui/work_progress_dialog.h"

class QFontMetrics;

namespace kelvora {

// The font in which the import measures columns: the editor's dialog font, "新宋体" at 10 points (through the
// font aliases, a face in which a Chinese character is exactly two spaces wide).
QFont importMeasureFont(const QWidget* measureWindow);

// Width of text in half-width cells: its pixel width over that of one space, rounded half up.
int textWidth(const QFontMetrics& metrics, std::u16string_view text);
int textWidth(const QWidget* measureWindow, std::u16string_view text);

// "正在导入...": runs the import on the shared progress window's worker thread and closes itself when the
// import ends.
class ImportProgressDialog : public WorkProgressDialog {
    Q_OBJECT
public:
    ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                         const QFont& measureFont, QWidget* parent);

    // Valid once exec() has returned: Accepted after a finished import, Rejected after a cancelled one.
    const ImportResult& result() const { return m_state->result; }

    // Runs the dialog modally and returns what the import produced (cancelled or not).
    static ImportResult run(std::vector<ImportLine> lines, const ImportSettings& settings,
                            const QFont& measureFont, QWidget* parent);

protected:
    void workEnded() override;

private:
    // Shared with the job and the cancel callback, which may outlive this class's members (see the base).
    struct State {
        std::atomic<bool> cancel{false};
        ImportResult result;
    };
    ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                         const QFont& measureFont, std::shared_ptr<State> state, QWidget* parent);

    std::shared_ptr<State> m_state;
};

} // namespace kelvora
