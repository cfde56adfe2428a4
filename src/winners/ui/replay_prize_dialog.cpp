#include "winners/ui/replay_prize_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "draw/replay_prize.h"
#include "platform/message_box.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

ReplayPrizeDialog::ReplayPrizeDialog(const WinnerList& winners, MessageBox& messages, QWidget* parent)
    : CenteredDialog(parent), m_messages(messages), m_names(replayPrizeChoices(winners)) {
    setWindowTitle(QStringLiteral("回放指定奖项"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("回放指定奖项:"), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("prizes"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const std::u16string& name : m_names)
        m_list->addItem(toQString(name));
    if (!m_names.empty())
        m_list->setCurrentRow(0);
    layout->addWidget(m_list);

    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", this);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {ok, cancel});
    connect(ok, &QPushButton::clicked, this, &ReplayPrizeDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ReplayPrizeDialog::confirm() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_messages.show(static_cast<QWidget*>(this), kNoReplayPrizeChosen, MessageIcon::Information);
        return;
    }
    // By row, not by the item's text: the name goes back exactly as the group holds it.
    m_chosen = m_names.at(static_cast<std::size_t>(m_list->row(selected.front())));
    accept();
}

std::optional<std::u16string> askReplayPrize(const WinnerList& winners, MessageBox& messages,
                                             QWidget* parent) {
    ReplayPrizeDialog dialog(winners, messages, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace kelvora
