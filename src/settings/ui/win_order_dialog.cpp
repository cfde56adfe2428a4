#include "settings/ui/win_order_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "settings/black_white_rules.h"
#include "ui/qt_text.h"

namespace kelvora {

WinOrderDialog::WinOrderDialog(const BlackWhiteListDraft& draft, int row, MessageBox& messages,
                               QWidget* parent)
    : CenteredDialog(parent), m_draft(draft), m_row(row), m_messages(messages) {
    setWindowTitle(QStringLiteral("修改中奖次序"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("中奖次序:"), this), 0, 0);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("winOrder"));
    m_edit->setText(QString::number(draft.white()[std::size_t(row)].winOrder));
    m_edit->selectAll();
    grid->addWidget(m_edit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("0=次序随机"), this), 1, 1);
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &WinOrderDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

void WinOrderDialog::confirm() {
    const std::u16string typed = m_edit->text().toStdU16String();
    const BlackWhiteListDraft::WinOrderCheck check = m_draft.checkWinOrder(m_row, typed);
    if (check.refusal) {
        m_messages.show(this, check.refusal->text, check.refusal->icon);
        m_edit->setFocus();
        return;
    }
    m_value = check.value;
    accept();
}

} // namespace kelvora
