#pragma once
// "中奖名单管理": the winners prize by prize, with a preview of the selected winner's picture in picture
// mode; a winner forfeits here, and the winners or the entrants not yet drawn are exported to a new folder.
// Opened only during a draw; everything it changes goes through the draw run, which saves before it takes
// effect.

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "draw/draw_progress.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "ui/centered_dialog.h"
#include "ui/work_progress_dialog.h"
#include "winners/winner_export.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

namespace kelvora {

class DrawRun;
class FilePicker;
class PicturePreview;
class WinnersModel;

inline constexpr std::u16string_view kAllPrizesChoice = u"全部奖项";

struct WinnersEnvironment {
    DrawRun& run;
    const DataPaths& paths;
    MessageBox& messages;
    FilePicker& files;
};

// Workbook: one .xlsx of the winners prize by prize and of the pool.
enum class ExportKind { Winners, NotYetWon, Workbook };

// One export as the worker thread runs it: it reads the flag before each entry and returns what it came to.
using ExportJob = std::function<ExportResult(const ExportCancelFlag& cancel, const WorkProgress& progress)>;

// "正在导出...": one export on a worker thread. When it has ended the dialog shows its failure (error icon)
// or, unless "取消" was pressed, "导出成功", and closes. A cancel pressed while the last entry was written
// still counts: the operator asked to stop and is not told otherwise.
class ExportProgressDialog : public WorkProgressDialog {
    Q_OBJECT
public:
    // The worker exports copies of the run's lists as they are now; target is the new folder, or the
    // workbook's file.
    ExportProgressDialog(ExportKind kind, const DrawRun& run, const DataPaths& paths,
                         std::filesystem::path target, MessageBox& messages, QWidget* parent);
    ExportProgressDialog(ExportJob job, MessageBox& messages, QWidget* parent);

    // Valid once the dialog has closed.
    const ExportResult& result() const { return m_state->result; }

protected:
    void workEnded() override;

private:
    // Shared with the job and the cancel callback: the base's destructor may still cancel the job after the
    // members of this class are gone.
    struct State {
        ExportCancelFlag cancel;
        ExportResult result;
    };
    ExportProgressDialog(ExportJob job, MessageBox& messages, std::shared_ptr<State> state, QWidget* parent);

    MessageBox& m_messages;
    std::shared_ptr<State> m_state;
};

class WinnersDialog : public CenteredDialog {
    Q_OBJECT
public:
    WinnersDialog(const WinnersEnvironment& environment, QWidget* parent);
    ~WinnersDialog() override;

    WinnersModel& model() { return *m_model; }
    QTableView& view() { return *m_view; }

    // "弃奖(&D)": the selected winner forfeits, after the question.
    void forfeitSelected();
    // "导出中奖名单...", "导出未中奖名单...": asks for the new folder and runs the export; "导出表格...":
    // asks for the workbook's file.
    void exportList(ExportKind kind);

protected:
    // The view's viewport: its width gives the columns theirs.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // "全部奖项" and the prize of every group, in the list's order.
    void fillPrizeChoices();
    // After a forfeit: the choices follow the groups, keeping the chosen prize while it still has winners.
    void refreshPrizeChoices();
    void prizeChosen(int comboIndex);
    void selectionChanged();
    void clearPreview();
    void selectRow(int row);
    void layoutColumns();
    void say(std::u16string_view text, MessageIcon icon);

    WinnersEnvironment m_env;
    bool m_pictureMode;
    WinnersModel* m_model = nullptr;
    QComboBox* m_prizes = nullptr;
    QTableView* m_view = nullptr;
    QCheckBox* m_backToPool = nullptr;
    PicturePreview* m_preview = nullptr;
    QLabel* m_info = nullptr;
};

// F7: runs the window during a draw; nothing otherwise.
void showWinners(const WinnersEnvironment& environment, QWidget* parent);

} // namespace kelvora
