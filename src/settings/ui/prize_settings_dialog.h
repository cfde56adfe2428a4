#pragma once
// "参数设置 - 奖项": the prize window. It edits the live prize list in place, so the draw engine sees each
// change at once; the prize file follows when the window closes. The rules of its buttons are those of
// settings/prize_rules.h.

#include <QAbstractTableModel>

#include <vector>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "settings/prize_rules.h"
#include "settings/ui/editor_hooks.h"
#include "ui/centered_dialog.h"

class QTableView;

namespace kelvora {

class DrawRun;

// The prize list as rows: a row number on grey, then name, quota, per draw, per line, font size, prize text
// and picture. It reads the live list; whoever changes the list tells the model through the calls below.
class PrizeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PrizeTableModel(const PrizeList& prizes, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Around appending one prize to the list.
    void beginAppend();
    void endAppend() { endInsertRows(); }
    // Rows first..last (inclusive) hold other values now; the number of rows is unchanged.
    void rowsRewritten(int first, int last);
    // Anything else: rows removed, the list reversed or emptied.
    void beginListChange() { beginResetModel(); }
    void endListChange() { endResetModel(); }

    // The column widths as fractions of the view's width.
    static double columnWidthFraction(int column);

private:
    const PrizeList& m_prizes;
};

class PrizeSettingsDialog : public CenteredDialog {
    Q_OBJECT
public:
    // editLists opens a prize's black and white list editor (Shift and a double click on its row); empty:
    // the double click does nothing.
    PrizeSettingsDialog(PrizeList& prizes, const DataPaths& paths, const DrawRun& run,
                        const InterfaceSettings& look, MessageBox& messages, FilePicker& files,
                        EditPrizeListsHook editLists, QWidget* parent);

    // Changes not yet written to the prize file. It outlives the window: the caller keeps it between openings
    // so that a failed write is tried again the next time the window closes.
    bool prizesChanged() const { return m_prizesChanged; }
    void setPrizesChanged(bool changed) { m_prizesChanged = changed; }
    // Whether the list changed while the window was open (written or not).
    bool listEdited() const { return m_listEdited; }

    // Closing ("关闭", Escape, the window's close box) writes the changes first.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PrizeDrawState drawState() const;
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    void markChanged();
    void fitColumns();

    void addPrize();
    void modifyPrize();
    void deletePrizes();
    void movePrizes(bool up);
    void reversePrizes();
    void clearPrizes();
    void exportSheet();
    void importSheet();
    void editPrizeLists(int row);
    // Shows a refusal; true when the action may go on.
    bool allowed(PrizeAction action, const std::vector<int>& rows);

    PrizeList& m_prizes;
    const DataPaths& m_paths;
    const DrawRun& m_run;
    const InterfaceSettings& m_look;
    MessageBox& m_messages;
    FilePicker& m_files;
    EditPrizeListsHook m_editLists;
    PrizeTableModel* m_model;
    QTableView* m_view;
    bool m_prizesChanged = false;
    bool m_listEdited = false;
};

} // namespace kelvora
