#pragma once
// What the two name-list editors share: the list of entrants in a report view with its row-number column,
// reordering while no draw runs, the messages 350 ms after opening, and closing (save when changed, hand the
// selection back in selection mode). The text list and the picture list each add their own buttons, import
// and file.

#include <QString>

#include "platform/message_box.h"
#include "platform/random.h"
#include "records/entrant.h"
#include "records/file_result.h"
#include "settings/text_list_rules.h"
#include "ui/centered_dialog.h"

class QTableView;

namespace kelvora {

class EntrantListModel;

enum class EntrantListMode { Edit, Select };

class EntrantListDialog : public CenteredDialog {
    Q_OBJECT
public:
    ~EntrantListDialog() override;

    // In selection mode: copies of the rows selected when the window closed, in ascending row order.
    const EntrantList& selection() const { return m_selection; }
    EntrantListModel& model() { return *m_model; }
    QTableView& view() { return *m_view; }

    // The button actions, public so that a benchmark and the tests can run them without a click.
    void sortList(SortOrder order);
    void shuffleList();
    // Takes the live list into the rows again.
    void refill();

    // "确定" and Escape: save when changed, take the selection, close.
    void reject() override;

protected:
    struct ListShape {
        QString nameHeader;
        double rowNumberShare; // of the view's width, truncated like every pixel position of the layouts
        double nameShare;
    };
    // listChanged is the list's unsaved mark. It outlives the window so that a save that failed is tried
    // again when the editor next closes.
    EntrantListDialog(EntrantList& entries, bool& listChanged, bool drawStarted, Random15& random,
                      MessageBox& messages, EntrantListMode mode, const ListShape& shape, QWidget* parent);

    // Writes the list's file; its failure is shown by reject().
    virtual FileResult saveList() = 0;

    void markChanged() { m_changed = true; }
    // Before a re-import: a list with entries is emptied only when the operator says Yes to
    // "将清空现有名单\n是否继续？" (No is the default). False when the re-import must not go on.
    bool emptyForReimport();
    MessageAnswer say(std::u16string_view text, MessageIcon icon,
                      MessageButtons buttons = MessageButtons::Ok);

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    EntrantList& m_entries;
    bool m_drawStarted;
    EntrantListModel* m_model = nullptr;
    QTableView* m_view = nullptr;

private:
    void showOpeningMessages();
    void layoutColumns();

    bool& m_changed;
    Random15& m_random;
    MessageBox& m_messages;
    EntrantListMode m_mode;
    ListShape m_shape;
    bool m_openingMessagesDue = true;
    EntrantList m_selection;
};

} // namespace kelvora
