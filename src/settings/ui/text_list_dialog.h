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
#include "settings/ui/entrant_list_dialog.h"

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

using TextListMode = EntrantListMode;

class TextListDialog : public EntrantListDialog {
    Q_OBJECT
public:
    TextListDialog(TextNameList& list, bool& listChanged, const TextListEnvironment& environment,
                   TextListMode mode, QWidget* parent);
    ~TextListDialog() override;

    void reimport();
    void exportList();

protected:
    FileResult saveList() override;

private:
    TextNameList& m_list;
    TextListEnvironment m_env;
};

// Runs the editor over the list (normal use, from the draw mode dialog).
void editTextList(QWidget* owner, TextNameList& list, bool& listChanged,
                  const TextListEnvironment& environment);

// Runs the editor in selection mode and returns copies of the entries selected when it closed, in ascending
// row order (rows 5 and 2 give entry 2, then entry 5). The list itself may have been edited meanwhile.
EntrantList pickTextEntrants(QWidget* owner, TextNameList& list, bool& listChanged,
                             const TextListEnvironment& environment);

} // namespace kelvora
