#pragma once
// Caps Lock from the real keyboard: the XKB "Caps Lock" indicator of the X server the program runs on.

#include "platform/capslock.h"

namespace kelvora {

class X11CapsLock final : public CapsLockState {
public:
    bool capsLockOn() override;
};

} // namespace kelvora
