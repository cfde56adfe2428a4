#pragma once
// "回放指定奖项": the prize a replay of one prize shows, chosen from the prizes that have winners.

#include <optional>
#include <string>
#include <vector>

#include "draw/draw_progress.h"
#include "ui/centered_dialog.h"

class QListWidget;

namespace kelvora {

class MessageBox;

class ReplayPrizeDialog : public CenteredDialog {
    Q_OBJECT
public:
    // The list offers the prize of every winner group in the list's order, the first one selected.
    ReplayPrizeDialog(const WinnerList& winners, MessageBox& messages, QWidget* parent);

    // The chosen prize after "确定"; empty until then.
    const std::u16string& chosen() const { return m_chosen; }

private:
    void confirm();

    MessageBox& m_messages;
    std::vector<std::u16string> m_names;
    QListWidget* m_list = nullptr;
    std::u16string m_chosen;
};

// Runs the dialog; the chosen prize's name, or nothing when it was cancelled.
std::optional<std::u16string> askReplayPrize(const WinnerList& winners, MessageBox& messages,
                                             QWidget* parent);

} // namespace kelvora
