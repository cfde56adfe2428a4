#include "screen/ui/margins_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "screen/ui/look_fields.h"
#include "settings/interface_rules.h"
#include "ui/dialog_parts.h"

namespace kelvora {

MarginsDialog::MarginsDialog(const Margins& margins, MessageBox& messages, QWidget* parent)
    : CenteredDialog(parent), m_margins(margins), m_messages(messages) {
    setWindowTitle(QStringLiteral("内边距"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_left = lookNumberField(margins.left, "left", this);
    m_right = lookNumberField(margins.right, "right", this);
    m_top = lookNumberField(margins.top, "top", this);
    m_bottom = lookNumberField(margins.bottom, "bottom", this);
    const auto place = [&](const char* text, QLineEdit* edit, int row, int column) {
        grid->addWidget(new QLabel(QString::fromUtf8(text), this), row, column);
        grid->addWidget(edit, row, column + 1);
        grid->addWidget(new QLabel(QStringLiteral("%"), this), row, column + 2);
    };
    place("左", m_left, 0, 0);
    place("右", m_right, 0, 3);
    place("上", m_top, 1, 0);
    place("下", m_bottom, 1, 3);
    layout->addLayout(grid);

    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", this);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {ok, cancel});
    connect(ok, &QPushButton::clicked, this, &MarginsDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

const Margins& MarginsDialog::margins() const {
    return m_margins;
}

void MarginsDialog::confirm() {
    Margins typed{readLookNumber(*m_left), readLookNumber(*m_top), readLookNumber(*m_right),
                  readLookNumber(*m_bottom)};
    const bool large = clampMargins(typed);
    m_margins = typed;
    // The corrected values are what the warning is about: show them behind it.
    m_left->setText(QString::number(typed.left));
    m_right->setText(QString::number(typed.right));
    m_top->setText(QString::number(typed.top));
    m_bottom->setText(QString::number(typed.bottom));
    if (large)
        m_messages.show(static_cast<QWidget*>(this), kMarginsLargeWarning, MessageIcon::Warning);
    accept();
}

} // namespace kelvora
