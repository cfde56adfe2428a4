#pragma once
// "内边距": the four margins of one band in percent. On "确定" they are corrected to fit and, when what is
// left is small, a warning says so; the corrected values stand either way.

#include "settings/interface_settings.h"
#include "ui/centered_dialog.h"

class QLineEdit;

namespace kelvora {

class MessageBox;

class MarginsDialog : public CenteredDialog {
    Q_OBJECT
public:
    MarginsDialog(const Margins& margins, MessageBox& messages, QWidget* parent);

    // The corrected values after "确定"; the margins given at construction until then.
    const Margins& margins() const;

private:
    void confirm();

    Margins m_margins;
    MessageBox& m_messages;
    QLineEdit* m_left = nullptr;
    QLineEdit* m_right = nullptr;
    QLineEdit* m_top = nullptr;
    QLineEdit* m_bottom = nullptr;
};

} // namespace kelvora
