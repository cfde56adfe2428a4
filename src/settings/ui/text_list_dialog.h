#pragma once
// "抽奖名单 - 文字/号码模式": the editor of the text name list. It edits the live list (sort, shuffle,
// re-import, export) and saves it when it closes with changes. In selection mode the same window lets the
// black and white list editor pick entrants from the list.

#include <functional>

#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "platform/random.h"
#include "records/data_paths.h"
#include "settings/text_list_rules.h"
#include "settings/text_name_list.h"
#include "settings/ui/editor_hooks.h"
#include "ui/centered_dialog.h"

class QLabel;
class QPushButton;
class QTableView;

namespace kelvora {

class EntrantListModel;

// What the editor works with besides the list.
struct TextListEnvironment {
    const DataPaths& paths;
    bool drawStarted = false;
    Random15& random;
    MessageBox& messages;
    FilePicker& files;
    // Runs the import over the list; while there is none (tests, a build without it) "重新导入..." is greyed.
    ImportListHook importList;
};

enum class TextListMode { Edit, Select };

class TextListDialog : public CenteredDialog {
    Q_OBJECT
public:
    // listChanged is the list's unsaved mark. It outlives the window so that a save that failed is tried
    // again when the editor next closes.
    TextListDialog(TextNameList& list, bool& listChanged, const TextListEnvironment& environment,
                   TextListMode mode, QWidget* parent);
    ~TextListDialog() override;

    // In selection mode: copies of the rows selected when the window closed, in ascending row order.
    const EntrantList& selection() const { return m_selection; }

    EntrantListModel& model() { return *m_model; }
    QTableView& view() { return *m_view; }

    // The button actions, public so that a benchmark and the tests can run them without a click.
    void sortList(SortOrder order);
    void shuffleList();
    void reimport();
    void exportList();
    // Takes the live list into the rows again.
    void refill();

    // "确定" and Escape: save when changed, take the selection, close.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showOpeningMessages();
    void layoutColumns();
    void markChanged();
    MessageAnswer say(std::u16string_view text, MessageIcon icon,
                      MessageButtons buttons = MessageButtons::Ok);

    TextNameList& m_list;
    bool& m_changed;
    TextListEnvironment m_env;
    TextListMode m_mode;
    EntrantListModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    bool m_openingMessagesDue = true;
    EntrantList m_selection;
};

// Runs the editor over the list (normal use, from the draw mode dialog).
void editTextList(QWidget* owner, TextNameList& list, bool& listChanged,
                  const TextListEnvironment& environment);

// Runs the editor in selection mode and returns copies of the entries selected when it closed, in ascending
// row order (rows 5 and 2 give entry 2, then entry 5). The list itself may have been edited meanwhile.
EntrantList pickTextEntrants(QWidget* owner, TextNameList& list, bool& listChanged,
                             const TextListEnvironment& environment);

} // namespace kelvora
