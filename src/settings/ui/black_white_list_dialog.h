#pragma once
// A prize's black and white lists, edited on a draft: the prize is changed only when the editor is closed
// with changes, and the prize window then writes the prize file. During a draw the lists can only be looked
// at and sorted.

#include "records/prizes.h"
#include "settings/black_white_rules.h"
#include "settings/ui/editor_hooks.h"
#include "ui/centered_dialog.h"

class QPushButton;
class QTableView;

namespace kelvora {

class EntrantListModel;
class MessageBox;

class BlackWhiteListDialog : public CenteredDialog {
    Q_OBJECT
public:
    // allPrizes is the list the prize file is written from (prize is usually one of its elements); pick opens
    // the name list of the draw mode for "添加..." and may be empty.
    BlackWhiteListDialog(const PrizeItem& prize, const PrizeList& allPrizes, bool drawStarted,
                         MessageBox& messages, PickEntrantsHook pick, QWidget* parent);

    const BlackWhiteListDraft& draft() const { return m_draft; }

    // Escape and the title bar's close button leave the editor open: it closes only through "关闭", which
    // reminds the operator of CapsLock whenever lists are set.
    void reject() override {}

private:
    struct Side {
        ListSide side;
        QTableView* view = nullptr;
        EntrantListModel* model = nullptr;
    };

    QWidget* buildSide(Side& side, const QString& header, bool withWinOrder);
    void addPicked(Side& side);
    void clearList(Side& side);
    void deleteSelected(Side& side);
    void editWinOrder();
    void sortBy(Side& side, int column);
    void finish();

    BlackWhiteListDraft m_draft;
    MessageBox& m_messages;
    PickEntrantsHook m_pick;
    Side m_white{ListSide::White};
    Side m_black{ListSide::Black};
    QList<QPushButton*> m_editingButtons;
};

// Opens the editor for prize and waits for it to close. When the lists were changed the prize holds the new
// ones and the result is true; the caller marks the prize list for writing.
bool editBlackWhiteLists(QWidget* owner, PrizeItem& prize, const PrizeList& allPrizes, bool drawStarted,
                         MessageBox& messages, PickEntrantsHook pick);

} // namespace kelvora
