#pragma once
// "已去除的重复行": the lines an import dropped as duplicates, as they were pasted, and how many.

#include <string_view>

#include "ui/centered_dialog.h"

namespace kelvora {

class DuplicatesDialog : public CenteredDialog {
    Q_OBJECT
public:
    DuplicatesDialog(int count, std::u16string_view lines, QWidget* parent);
};

} // namespace kelvora
