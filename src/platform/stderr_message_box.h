#pragma once
// Messages for the command-line tools: written to standard error, every question answered "Ok".

#include <cstdio>

#include "platform/message_box.h"
#include "platform/text.h"

namespace kelvora {

class StderrMessageBox final : public MessageBox {
public:
    MessageAnswer show(OwnerWindow, std::u16string_view text, MessageIcon, MessageButtons) override {
        std::fprintf(stderr, "%s\n", toUtf8(text).c_str());
        return MessageAnswer::Ok;
    }
};

} // namespace kelvora
