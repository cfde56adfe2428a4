#pragma once
// "修改中奖次序": the win order of one white-list entry. It stays open on a refused value, with the value
// still in the field, so that the operator can correct it.

#include <cstdint>

#include "ui/centered_dialog.h"

class QLineEdit;

namespace kelvora {

class BlackWhiteListDraft;
class MessageBox;

class WinOrderDialog : public CenteredDialog {
    Q_OBJECT
public:
    // Edits the order of white row of draft; the draft itself is not changed here.
    WinOrderDialog(const BlackWhiteListDraft& draft, int row, MessageBox& messages, QWidget* parent);

    // The accepted order, once the dialog closed with "确定".
    std::int32_t value() const { return m_value; }

private:
    void confirm();

    const BlackWhiteListDraft& m_draft;
    int m_row;
    MessageBox& m_messages;
    QLineEdit* m_edit = nullptr;
    std::int32_t m_value = 0;
};

} // namespace kelvora
