#pragma once
// The program's message box: QMessageBox with the program caption, the icon and the buttons asked for.

#include "platform/message_box.h"

namespace kelvora {

class QtMessageBox final : public MessageBox {
public:
    MessageAnswer show(OwnerWindow owner, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
};

} // namespace kelvora
