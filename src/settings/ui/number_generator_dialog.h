#pragma once
// "生成号码/座号": the fields of a number series; "生成" writes the clamped numbers back into their fields
// and makes the lines that the import dialog appends to its text box.

#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "settings/number_generator.h"
#include "ui/centered_dialog.h"

class QCheckBox;
class QLineEdit;

namespace kelvora {

class NumberGeneratorDialog : public CenteredDialog {
    Q_OBJECT
public:
    NumberGeneratorDialog(MessageBox& messages, QWidget* parent);

    // The fields as a series, before clamping.
    NumberSeries series() const;
    // Valid after "生成".
    const std::vector<std::u16string>& output() const { return m_output; }

    // The generated lines, or nothing on "取消".
    static std::optional<std::vector<std::u16string>> ask(MessageBox& messages, QWidget* parent);

private:
    void generate();

    MessageBox& m_messages;
    QLineEdit* m_start;
    QLineEdit* m_end;
    QLineEdit* m_step;
    QCheckBox* m_fixedWidth;
    QLineEdit* m_width;
    QLineEdit* m_prefix;
    QLineEdit* m_suffix;
    QLineEdit* m_filter;
    std::vector<std::u16string> m_output;
};

} // namespace kelvora
